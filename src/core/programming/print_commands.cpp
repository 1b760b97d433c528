#include "core/programming/print_commands.h"

#include "core/link/encoding.h"

namespace ptk {
namespace {

int Send(Link& link, std::vector<uint8_t> frame) {
  return link.Run(Exchange::Plain(std::move(frame)));
}

}  // namespace

std::array<uint8_t, 11> FieldFormatBytes(const FieldFormat& format) {
  std::array<uint8_t, 11> bytes{};
  bytes[0] = static_cast<uint8_t>(format.operation);
  bytes[3] = static_cast<uint8_t>(format.height);
  bytes[5] = static_cast<uint8_t>(format.brightness);
  bytes[8] = format.doubleWidth ? 0x10 : 0x00;
  return bytes;
}

std::vector<uint8_t> PrintStringFrame(const Link& link, std::string_view text, uint8_t code) {
  return link.CommandFrame(code, ToDeviceText(text));
}

std::vector<uint8_t> PrintFieldFrame(const Link& link, const FieldFormat& format,
                                     std::string_view text) {
  std::array<uint8_t, 11> head = FieldFormatBytes(format);
  std::vector<uint8_t> params(head.begin(), head.end());
  std::vector<uint8_t> device = ToDeviceText(text);
  params.insert(params.end(), device.begin(), device.end());
  return link.CommandFrame(kCmdPrintField, params);
}

int PrintString(Link& link, std::string_view text, uint8_t code) {
  return Send(link, PrintStringFrame(link, text, code));
}

int PrintField(Link& link, const FieldFormat& format, std::string_view text) {
  return Send(link, PrintFieldFrame(link, format, text));
}

int PrintHeader(Link& link) {
  return Send(link, link.CommandFrame(kCmdPrintHeader));
}

int PrintEnding(Link& link) {
  return Send(link, link.CommandFrame(kCmdPrintEnding));
}

}  // namespace ptk
