// The ЭКЛЗ's own state (0xAE): the query and the sixteen lines of the state window
// fm_SostEKLZ.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/link/frame_exchange.h"

namespace ptk {

inline constexpr uint8_t kCmdEklzState = 0xAE;

// The exchange arguments of the query: a short answer allowed, answerLength 55,
// decodeResult 1, default time-outs, delay 200 ms.
inline constexpr int kEklzStateAnswerLength = 55;
inline constexpr uint32_t kEklzStateDelayMs = 200;

// Status flag bits of the answer's byte [23]; bits 0..1 are the document type.
inline constexpr uint8_t kEklzDocumentTypeMask = 0x03;
inline constexpr uint8_t kEklzArchiveOpen = 0x04;
inline constexpr uint8_t kEklzActivated = 0x08;
inline constexpr uint8_t kEklzReportRunning = 0x10;
inline constexpr uint8_t kEklzDocumentOpen = 0x20;
inline constexpr uint8_t kEklzShiftOpen = 0x40;
inline constexpr uint8_t kEklzError = 0x80;

// password, 0xAE; the answer stays in link.AnswerBuffer. 1 on success; a failure has
// been shown by the exchange.
int QueryEklzState(Link& link);

// The lines of mem_SostEKLZ for an answer, in order (UTF-8). answerLength counts STX,
// payload, ETX and the check byte, as Link::AnswerLength does; positions past the
// payload of a short answer read as zero.
std::vector<std::string> ShowEklzState(std::span<const uint8_t> answerBuffer, int answerLength);
std::vector<std::string> ShowEklzState(const Link& link);

}  // namespace ptk
