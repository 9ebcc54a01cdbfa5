#pragma once

// A line that every datagram may bring (a read error) is said at most once a second: the first
// of each second, and at the next tick how many more were left out. A flood of bad datagrams
// then costs two lines a second, not one per datagram.
class RepeatedLines {
 public:
  // True when the line may be said now.
  bool Allow() {
    if (!Said) return Said = true;
    ++LeftOut;
    return false;
  }
  // At each tick of the one-second timer: the lines left out since the last, and a new second.
  int Tick() {
    const int left = LeftOut;
    Said = false;
    LeftOut = 0;
    return left;
  }

 private:
  bool Said = false;
  int LeftOut = 0;
};
