// Every decoder of the register's answers, picked by the first input byte: the state, the
// state code, the device type, the ЭКЛЗ state, the registers, the drawer sums, the payment
// answers, the ФП ranges, the version, the table field values (and their dump lines),
// and, through the link against a scripted register whose answers come from the input,
// the header and footer lines, the firmware blocks and the pictures read back.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/eklz/eklz_state.h"
#include "core/link/direct_command.h"
#include "core/link/frame_exchange.h"
#include "core/link/serial_port.h"
#include "core/programming/field_catalogue.h"
#include "core/programming/firmware.h"
#include "core/programming/picture_image.h"
#include "core/programming/pictures.h"
#include "core/programming/table_dump.h"
#include "core/programming/table_fields.h"
#include "core/receipts/cash_commands.h"
#include "core/receipts/money.h"
#include "core/receipts/receipt_commands.h"
#include "core/reports/device_state.h"
#include "core/reports/registers.h"
#include "core/reports/report_commands.h"
#include "core/shell/version.h"
#include "fuzz_input.h"
#include "support/link_rig.h"

namespace {

using namespace ptk;
using fuzz::Input;

// An answer as the link leaves it: the 260-byte buffer and a length within it. The
// decoders are also given the data alone, so that a read past the bytes they were given
// is caught too.
struct RawAnswer {
  std::array<uint8_t, kLinkBufferSize> buffer{};
  int length = 0;
  std::vector<uint8_t> exact;  // just the first `length` bytes
};

RawAnswer TakeAnswer(Input& in) {
  RawAnswer a;
  const std::span<const uint8_t> bytes = in.Bytes(in.Word() % (kLinkBufferSize + 1));
  std::copy(bytes.begin(), bytes.end(), a.buffer.begin());
  a.length = static_cast<int>(bytes.size());
  a.exact.assign(bytes.begin(), bytes.end());
  return a;
}

template <typename Show>
void BothWays(const RawAnswer& a, Show show) {
  const auto full = show(std::span<const uint8_t>(a.buffer), a.length);
  const auto exact = show(std::span<const uint8_t>(a.exact), a.length);
  PTK_FUZZ_CHECK(full == exact);
}

// Digits, a comma and two digits (three for a hundredths byte that is no BCD, whose
// nibbles are read as tens and units all the same).
bool IsAmount(const std::string& s) {
  const size_t comma = s.find(',');
  if (comma == std::string::npos || comma == 0 || s.size() < comma + 3 || s.size() > comma + 4)
    return false;
  for (size_t i = 0; i < s.size(); ++i)
    if (i != comma && (s[i] < '0' || s[i] > '9')) return false;
  return true;
}

// A link whose register answers each command with the next run of the input (marker,
// result code, data); once the input is used up, or after too many commands, with 0x18.
struct ScriptedLink : test::LinkRig {
  explicit ScriptedLink(Input& in) : LinkRig(1000), input(&in) {
    reg.answerFor = [this](std::span<const uint8_t>) -> std::vector<uint8_t> {
      if (input->Empty() || ++answers > 400) return {0x55, 0x18, 0x00};
      return input->Run();
    };
  }
  Input* input;
  int answers = 0;
};

std::string TempPath(const char* name) {
  static const std::filesystem::path dir = [] {
    std::filesystem::path d =
        std::filesystem::temp_directory_path() / ("ptk-fuzz-decoders-" + std::to_string(getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return (dir / name).string();
}

void TableValue(Input& in) {
  const std::span<const CatalogueField> catalogue = FieldCatalogue();
  const CatalogueField& f = catalogue[in.Word() % catalogue.size()];
  const std::span<const uint8_t> value = in.Bytes(in.Byte() % (f.width + 2u));
  const std::string text = FieldValueToText(f, value);
  // A text read from the register, written back unchanged, is taken.
  if (value.size() == f.width && f.encoding != FieldEncoding::ClassicText &&
      f.encoding != FieldEncoding::ReceiptLine && f.encoding != FieldEncoding::OemText) {
    const auto back = TextToFieldValue(f, text);
    if (back) PTK_FUZZ_CHECK(FieldValueToText(f, *back) == text);
  }
  // A dump line gives back exactly the bytes it was made of.
  DumpEntry entry{f.table,
                  static_cast<uint16_t>(f.firstRow + in.Byte() % (f.lastRow - f.firstRow + 1)),
                  f.field, std::vector<uint8_t>(value.begin(), value.end())};
  const std::string line = FormatDumpLine(entry);
  DumpEntry parsed;
  std::string error;
  PTK_FUZZ_CHECK(ParseDumpLine(line, parsed, error) == DumpLine::Entry);
  PTK_FUZZ_CHECK(parsed == entry);
  // Any line of a dump file.
  ParseDumpLine(fuzz::AsText(in.Rest()), parsed, error);
}

void ThroughLink(uint8_t which, Input& in) {
  ScriptedLink s(in);
  switch (which) {
    case 0: {  // a header or footer line
      const ReceiptText part = in.Bit() ? ReceiptText::Footer : ReceiptText::Header;
      std::string text;
      const int error = ReadReceiptLine(s.link, part, in.Byte() % 12 - 1, text);
      if (error != direct_error::kOk) PTK_FUZZ_CHECK(text.empty());
      break;
    }
    case 1: {  // the firmware, block by block
      const FirmwareSource source = in.Bit() ? FirmwareSource::Fp : FirmwareSource::Ptk;
      UserAbort abort;
      const std::string path = TempPath("firmware.bin");
      std::filesystem::remove(path);
      const FirmwareRead r = ReadFirmware(s.link, abort, source, path);
      PTK_FUZZ_CHECK(r.size <= kFirmwareMaxSize);
      if (r.status == kFirmwareComplete) {
        PTK_FUZZ_CHECK(r.written >= r.size);
        PTK_FUZZ_CHECK(std::filesystem::file_size(path) == r.size);
      } else {
        PTK_FUZZ_CHECK(!std::filesystem::exists(path));
      }
      break;
    }
    case 2: {  // a stored picture read back
      MonoPicture picture;
      const int error = ReadStoredPicture(s.link, 1 + in.Byte(), {}, picture);
      if (error == direct_error::kOk) {
        PTK_FUZZ_CHECK(picture.width >= 0 && picture.height >= 0);
        PTK_FUZZ_CHECK(picture.lines.size() == picture.LineBytes() * picture.height);
      } else {
        PTK_FUZZ_CHECK(picture.width == 0 && picture.lines.empty());
      }
      break;
    }
    case 3: {  // the picture memory
      PictureMemory memory;
      QueryPictureMemory(s.link, memory);
      PTK_FUZZ_CHECK(memory.freeBytes >= 0 && memory.freeBytes <= 0xFFFF);
      break;
    }
    case 4: {  // the cash in the drawer
      std::string amount;
      if (QueryCashInDrawer(s.link, amount) == kExchangeOk) PTK_FUZZ_CHECK(IsAmount(amount));
      break;
    }
    default: {  // all tables of the third model
      UserAbort abort;
      const TablesReadResult r =
          ReadAllTables(s.link, abort, CapabilitiesForModel(kModelCodeThird));
      for (const FieldValue& v : r.values) PTK_FUZZ_CHECK(v.value.size() <= kLinkBufferSize);
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t which = in.Byte();
  switch (which % 16) {
    case 0:
      BothWays(TakeAnswer(in), [](auto b, int n) { return ShowDeviceState(b, n); });
      break;
    case 1: {
      const RawAnswer a = TakeAnswer(in);
      BothWays(a, [](auto b, int n) { return ShowStateCode(b, n); });
      const StateCode c = DecodeStateCode(a.exact, a.length);
      PTK_FUZZ_CHECK(c.noPaper <= 1 && c.noPrinterLink <= 1 && c.coverOpen <= 1 && c.noRoll <= 1);
      break;
    }
    case 2: {
      const RawAnswer a = TakeAnswer(in);
      BothWays(a, [](auto b, int n) { return ShowDeviceType(b, n); });
      DeviceNameText(a.exact);
      break;
    }
    case 3:
      BothWays(TakeAnswer(in), [](auto b, int n) { return ShowEklzState(b, n); });
      break;
    case 4: {
      const int number = static_cast<int8_t>(in.Byte());
      const RawAnswer a = TakeAnswer(in);
      BothWays(a, [number](auto b, int n) { return ShowRegister(number, b, n); });
      const std::vector<std::string> cells = RegisterCellValues(number, a.exact, a.length);
      PTK_FUZZ_CHECK(cells.size() == RegisterCellCount(number));
      break;
    }
    case 5: {
      const size_t first = in.Byte();
      const RawAnswer a = TakeAnswer(in);
      PTK_FUZZ_CHECK(IsAmount(DecodeDrawerSum(a.exact, first)));
      PTK_FUZZ_CHECK(IsAmount(DecodeMoney(a.exact, first)));
      PTK_FUZZ_CHECK(DecodeDrawerSum(a.exact, first) == DecodeDrawerSum(a.buffer, first));
      break;
    }
    case 6: {
      const RawAnswer a = TakeAnswer(in);
      const PaymentAnswer p = DecodePaymentAnswer(a.exact);
      PTK_FUZZ_CHECK(IsAmount(p.remainder) && IsAmount(p.change));
      break;
    }
    case 7:
      BothWays(TakeAnswer(in), [](auto b, int n) {
        const FmRanges r = ShowRanges(b, n);
        return std::vector<std::string>{r.dateFirst, r.dateLast, r.shiftFirst, r.shiftLast};
      });
      break;
    case 8:
      BothWays(TakeAnswer(in), [](auto b, int n) { return ShowVersion(b, n); });
      break;
    case 9:
      TableValue(in);
      break;
    default:
      ThroughLink(which % 16 - 10, in);
      break;
  }
  return 0;
}
