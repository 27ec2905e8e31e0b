// The product's and its maker's names, spelled once for every kind of string the program
// needs: L"" TLY_PRODUCT_NAME for a wide string, u"" TLY_PRODUCT_NAME for UTF-16, and so on.
#pragma once

#define TLY_PRODUCT_NAME "Tallyra"
#define TLY_COMPANY_NAME "Quessel Works"
