// The platform half of TextCodec: table lookups only. Inputs are already
// well-formed (CP949 byte structure, UTF-16 surrogates); false means some
// character has no counterpart in the other encoding.
#pragma once

#include <string>
#include <string_view>

namespace common::detail {

bool PlatformCp949ToUtf16(std::string_view bytes, std::u16string& out);
bool PlatformUtf16ToCp949(std::u16string_view text, std::string& out);

}  // namespace common::detail
