// The expression engine: compile a formula, evaluate it, read and write the registers.
#pragma once

#include "codes.h"
#include "number_text.h"
#include "numbered_error.h"
#include "tly.h"
