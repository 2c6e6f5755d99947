// The texts of the transfer manager's message boxes that more than one place
// shows, as the program has always worded them (English, but for the one
// Korean start-up message).
#pragma once

namespace halvern::text {

inline constexpr const char* kInformation = "Information";

inline constexpr const char* kLibraryMissing = "Dravik.dll이 없습니다. 프로그램을 재설치 후 사용하세요.";
inline constexpr const char* kLibraryMissingTitle = "Dll 에러";

inline constexpr const char* kNotConnected = "Device not connected, please connect and power on !!!";
inline constexpr const char* kNoCard = "No Card, please Insert Card!!!";

// "Sorry! The " + name + " file does not exist!!!"
inline constexpr const char* kFileGoneBefore = "Sorry! The ";
inline constexpr const char* kFileGoneAfter = " file does not exist!!!";
inline constexpr const char* kFileGoneTitle = "Not Exist File";

}  // namespace halvern::text
