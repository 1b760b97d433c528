// A virtual magnetic card reader on a pseudo-terminal of its own, for runs without
// hardware: the program reads it like the real reader's serial port.
//
// A reader sends a card when one is swiped, and the program keeps only what comes after
// it has opened the port and discarded the driver's queues. The virtual reader therefore
// watches the terminal in packet mode: when the program discards the queues of the port
// (the purge that opens every card read), the reader "swipes" the current card
// kSwipeDelayMs later, while the program's read (5 s in all) waits for it. So every read
// gets the card that is set, and a read with no card set gets nothing, as a read with
// nobody at the reader does. Swipe() sends the card at once as well, for a person who
// swipes while the program is waiting.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace ptk::emu {

class VirtualCardReader {
 public:
  // Time between the program's purge and the card, so that the purge cannot catch it.
  static constexpr int kSwipeDelayMs = 100;

  VirtualCardReader();
  ~VirtualCardReader();
  VirtualCardReader(const VirtualCardReader&) = delete;
  VirtualCardReader& operator=(const VirtualCardReader&) = delete;

  // Opens the pseudo-terminal (raw before anything is written) and starts watching it.
  bool Start();
  void Stop();
  // The device the program opens, e.g. "/dev/pts/4"; empty before Start().
  const std::string& SlavePath() const;
  std::string LastError() const;

  // The card's text as the reader sends it, e.g. ";4000001234567899=2512?"; the reader
  // adds CR LF after it, as a serial reader ends a track. Empty: no card. Any thread.
  void SetCard(const std::string& text);
  std::string Card() const;
  // Sends the current card now; false when there is none or the reader is not running.
  bool Swipe();
  // How many cards have gone out on the line so far.
  size_t CardsSent() const;
  // False when the terminal cannot report purges: only Swipe() sends cards then.
  bool SwipesOnPurge() const;

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace ptk::emu
