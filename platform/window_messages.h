#pragma once

#include <cstdint>

// Message numbers, notification codes and flags that cross the platform boundary. The numbers
// are those of the desktop platform the program was first written for; the logic relies on
// them (socket events share one message and carry their event and error in one word).

inline constexpr unsigned WM_SETFONT = 0x0030;
inline constexpr unsigned WM_COMMAND = 0x0111;
inline constexpr unsigned WM_TIMER = 0x0113;
inline constexpr unsigned WM_USER = 0x0400;
inline constexpr unsigned WM_SOCKET_NOTIFY = WM_USER + 301;     // 1325
inline constexpr unsigned WM_HOST_LOOKUP_DONE = WM_USER + 303;  // 1327
// The PC's own addresses changed (an address came or went, an interface went up or down).
inline constexpr unsigned WM_ADDRESS_CHANGE = WM_USER + 305;  // 1329

inline constexpr unsigned BN_CLICKED = 0;
inline constexpr unsigned CBN_SELCHANGE = 1;
// A drop-down list is about to open its list.
inline constexpr unsigned CBN_DROPDOWN = 7;
// A drop-down list's list has closed; a selection made by closing it has been told before.
inline constexpr unsigned CBN_CLOSEUP = 8;

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;

// Message box types.
inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_ICONSTOP = 0x10;         // 16
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;  // 48
inline constexpr unsigned MB_ICONINFORMATION = 0x40;  // 64
inline constexpr int IDOK = 1;

// Socket events in the low word of a socket notification, error number in the high word.
inline constexpr unsigned FD_READ = 1;
inline constexpr unsigned FD_WRITE = 2;
inline constexpr unsigned FD_CONNECT = 16;
inline constexpr unsigned FD_CLOSE = 32;

inline constexpr std::uint32_t MakeLong(unsigned low, unsigned high) {
  return (static_cast<std::uint32_t>(high & 0xFFFFu) << 16) | (low & 0xFFFFu);
}
inline constexpr unsigned LowWord(std::uint64_t value) {
  return static_cast<unsigned>(value & 0xFFFFu);
}
inline constexpr unsigned HighWord(std::uint64_t value) {
  return static_cast<unsigned>((value >> 16) & 0xFFFFu);
}

// Window procedure of a window that receives messages: the dialog. Message boxes, timers,
// controls and sockets all reach the program through it.
class TMessageTarget {
 public:
  virtual long WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;

 protected:
  ~TMessageTarget() = default;
};
