// Text at the registry's ANSI boundary: names and string values go to the registry in the
// system's ANSI code page (CP_ACP), and come back from it.
#pragma once

#include <string>
#include <string_view>

namespace kolo {

// A key path or value name in ANSI. Fails (RegistryFailure) when the text cannot be written in
// the code page exactly, or holds a NUL: such a name would reach another key or value than the
// one the caller named (two different names both becoming "??").
std::string NameToAnsi(std::wstring_view name);

// String data in ANSI; a character the code page lacks becomes its default character, as
// every ANSI program storing text there does.
std::string TextToAnsi(std::wstring_view text);

// ANSI bytes read from the registry, up to the first NUL (or all of them when there is none).
std::wstring AnsiToText(std::string_view bytes);

}  // namespace kolo
