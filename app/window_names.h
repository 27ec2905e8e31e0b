// Names the program's windows and fonts are known by, to this program and to the tools that
// look for its windows from outside.
#pragma once

#include "product_name.h"

namespace tly {

// The product name: the main window's caption and the title of the program's messages.
inline constexpr wchar_t kProductName[] = L"" TLY_PRODUCT_NAME;
// The window class of every form; with the caption it tells the program's main window from
// another program's window captioned the same.
inline constexpr wchar_t kFormClassName[] = L"TallyraForm";
// The classes of the frames and of the hidden picture box that receives the tray icon's
// notifications.
inline constexpr wchar_t kFrameClassName[] = L"TallyraFrame";
inline constexpr wchar_t kPictureClassName[] = L"TallyraPicture";
// The user-interface font, and the font of the About dialog's texts.
inline constexpr wchar_t kUIFontName[] = L"MS UI Gothic";
inline constexpr wchar_t kMsPGothic[] =
    L"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF";  // ＭＳ Ｐゴシック

}  // namespace tly
