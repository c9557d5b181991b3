#pragma once

// The class library's own texts (its resource strings).

inline constexpr const char* SMsgDlgWarning = "Warning";
inline constexpr const char* SMsgDlgError = "Error";
inline constexpr const char* SMsgDlgInformation = "Information";
inline constexpr const char* SMsgDlgConfirm = "Confirm";
