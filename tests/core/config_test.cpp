// The three settings files: defaults, reading rules, bad input, atomic and failed writes.
#include "core/settings/config.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "support/recording_ui.h"

namespace ptk {
namespace {

namespace fs = std::filesystem;
using test::RecordingUi;

// The files are written in text mode, so they end with the platform's line break.
#ifdef _WIN32
constexpr const char* kEol = "\r\n";
#else
constexpr const char* kEol = "\n";
#endif

class ConfigTest : public ::testing::Test {
 protected:
  ConfigTest() {
    static std::atomic<int> counter{0};
    dir = fs::temp_directory_path() / ("ptk-config-" + std::to_string(std::random_device{}()) +
                                       "-" + std::to_string(counter++));
    fs::create_directories(dir);
    settings.directory = dir.string();
  }
  ~ConfigTest() override {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }

  void Put(const char* file, const std::string& content) {
    std::ofstream(dir / file, std::ios::binary) << content;
  }
  std::string Get(const char* file) {
    std::ifstream in(dir / file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path dir;
  Settings settings;
  RecordingUi ui;
};

TEST_F(ConfigTest, DefaultsWithoutFiles) {
  EXPECT_TRUE(LoadSetting(settings, 1, ui));
  EXPECT_TRUE(LoadSetting(settings, 2, ui));
  EXPECT_TRUE(LoadSetting(settings, 3, ui));
  EXPECT_EQ(settings.portName, "COM1");
  EXPECT_EQ(settings.PortIndex, 0);
  EXPECT_EQ(settings.baudName, "CBR_115200");
  EXPECT_EQ(settings.BaudIndex, 4);
  EXPECT_EQ(settings.AccessPassword, "7391");
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_FALSE(fs::exists(dir / kPortFile));  // reading creates nothing
}

TEST_F(ConfigTest, PortFile) {
  struct Row {
    std::string content;
    bool ok;
    std::string name;
    int index;
  } rows[] = {
      {"COM12\n", true, "COM12", 11},
      {"COM3", true, "COM3", 2},
      {"com4\r\n", true, "com4", 3},
      {"  COM5   COM6\n", true, "COM5", 4},  // the first word only
      {"COM256\n", true, "COM256", 255},
      {"/dev/ttyUSB0\n", true, "/dev/ttyUSB0", 0},
      {"/dev/serial/by-id/usb-0403_6001-if00-port0\n", true,
       "/dev/serial/by-id/usb-0403_6001-if00-port0", 0},  // paths may pass 10 characters
      {"\n", true, "COM1", 0},                            // no word: the default
      {"COMX\n", false, "COM9", 8},                       // the previous port stays
      {"COM\n", false, "COM9", 8},
      {"COM0\n", false, "COM9", 8},
      {"COM257\n", false, "COM9", 8},
      {"COM1234567890\n", false, "COM9", 8},  // cut to 10 characters: COM1234567
      {"LPT1\n", false, "COM9", 8},
      {"ttyS0\n", false, "COM9", 8},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.content);
    settings.portName = "COM9";
    settings.PortIndex = 8;
    ui.boxes.clear();
    Put(kPortFile, row.content);
    EXPECT_EQ(LoadSetting(settings, 1, ui), row.ok);
    EXPECT_EQ(settings.portName, row.name);
    EXPECT_EQ(settings.PortIndex, row.index);
    ASSERT_EQ(ui.boxes.size(), row.ok ? 0u : 1u);
    if (!row.ok) {
      EXPECT_EQ(ui.boxes[0].caption, "Ошибка");
      EXPECT_EQ(ui.boxes[0].icon, Icon::Error);
      EXPECT_NE(ui.boxes[0].text.find("num_port.ini"), std::string::npos);
      EXPECT_NE(ui.boxes[0].text.find("COM9"), std::string::npos);
    }
  }
}

TEST_F(ConfigTest, BadPortBeforeAnyPortWasLoadedKeepsCom1) {
  Put(kPortFile, "COMX\n");
  EXPECT_FALSE(LoadSetting(settings, 1, ui));
  EXPECT_EQ(settings.portName, "COM1");
  EXPECT_EQ(settings.PortIndex, 0);
}

TEST_F(ConfigTest, BaudFile) {
  struct Row {
    std::string content;
    bool ok;
    std::string name;
    int index;  // the previous index is 2
  } rows[] = {
      {"CBR_9600\n", true, "CBR_9600", 0},
      {"CBR_19200\n", true, "CBR_19200", 1},
      {"CBR_38400", true, "CBR_38400", 2},
      {"CBR_57600\n", true, "CBR_57600", 3},
      {"CBR_115200\n", true, "CBR_115200", 4},
      {"CBR_115200000\n", true, "CBR_115200", 4},  // cut to 10 characters
      {"\n", true, "CBR_115200", 4},               // no word: the default
      // Another name keeps the index, and a box names the speed kept.
      {"CBR_4800\n", false, "CBR_4800", 2},
      {"cbr_9600\n", false, "cbr_9600", 2},
      {"115200\n", false, "115200", 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.content);
    settings.BaudIndex = 2;
    ui.boxes.clear();
    Put(kBaudFile, row.content);
    EXPECT_EQ(LoadSetting(settings, 2, ui), row.ok);
    EXPECT_EQ(settings.baudName, row.name);
    EXPECT_EQ(settings.BaudIndex, row.index);
    ASSERT_EQ(ui.boxes.size(), row.ok ? 0u : 1u);
    if (!row.ok) {
      EXPECT_EQ(ui.boxes[0].caption, "Ошибка");
      EXPECT_EQ(ui.boxes[0].text, "Неверная скорость \"" + row.name +
                                      "\" в файле baude_fr.ini. Оставлена скорость 38400 бит/с.");
    }
  }
}

TEST_F(ConfigTest, PasswordFile) {
  struct Row {
    std::string content;
    bool ok;
    std::string password;  // the previous password is 1111
  } rows[] = {
      {"1234\n", true, "1234"},
      {"30\n", true, "30"},  // the frame pads it with zeros
      {"123456789012345\n", true, "1234567890"},
      {"\n", true, "7391"},  // no word: the default
      // Any other character would be sent as zeros: the previous password stays.
      {"abcd\n", false, "1111"},
      {"12a4\n", false, "1111"},
      {"-123\n", false, "1111"},
      {"12,3\n", false, "1111"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.content);
    settings.AccessPassword = "1111";
    ui.boxes.clear();
    Put(kPasswordFile, row.content);
    EXPECT_EQ(LoadSetting(settings, 3, ui), row.ok);
    EXPECT_EQ(settings.AccessPassword, row.password);
    ASSERT_EQ(ui.boxes.size(), row.ok ? 0u : 1u);
    if (!row.ok) {
      EXPECT_EQ(ui.boxes[0].caption, "Ошибка");
      EXPECT_NE(ui.boxes[0].text.find("в файле pass_fr.ini. Оставлен пароль 1111."),
                std::string::npos);
    }
  }
}

TEST_F(ConfigTest, BadPasswordBeforeAnyWasLoadedKeepsTheDefault) {
  Put(kPasswordFile, "abcd\n");
  EXPECT_FALSE(LoadSetting(settings, 3, ui));
  EXPECT_EQ(settings.AccessPassword, "7391");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text,
            "Неверный пароль \"abcd\" в файле pass_fr.ini. Оставлен пароль 7391.");
}

TEST_F(ConfigTest, AFolderInPlaceOfASettingsFileIsShownAndChangesNothing) {
  struct Row {
    int which;
    const char* file;
    std::string box;
  } rows[] = {
      {1, kPortFile, "Не удалось прочитать файл num_port.ini. Оставлен порт COM9."},
      {2, kBaudFile, "Не удалось прочитать файл baude_fr.ini. Оставлена скорость 38400 бит/с."},
      {3, kPasswordFile, "Не удалось прочитать файл pass_fr.ini. Оставлен пароль 1111."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    settings.portName = "COM9";
    settings.PortIndex = 8;
    settings.baudName = "CBR_38400";
    settings.BaudIndex = 2;
    settings.AccessPassword = "1111";
    ui.boxes.clear();
    fs::create_directory(dir / row.file);
    EXPECT_FALSE(LoadSetting(settings, row.which, ui));
    EXPECT_EQ(settings.portName, "COM9");
    EXPECT_EQ(settings.PortIndex, 8);
    EXPECT_EQ(settings.baudName, "CBR_38400");
    EXPECT_EQ(settings.BaudIndex, 2);
    EXPECT_EQ(settings.AccessPassword, "1111");
    EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{row.box});
  }
}

TEST_F(ConfigTest, SaveThenLoadGivesTheSameValues) {
  settings.portName = "COM12";
  settings.baudName = "CBR_19200";
  settings.pendingPassword = "0042";
  for (int which = 1; which <= 3; ++which) EXPECT_TRUE(SaveSetting(settings, which, ui));
  EXPECT_EQ(settings.AccessPassword, "0042");  // the pending password became current
  EXPECT_EQ(Get(kPortFile), std::string("COM12") + kEol);
  EXPECT_EQ(Get(kBaudFile), std::string("CBR_19200") + kEol);
  EXPECT_EQ(Get(kPasswordFile), std::string("0042") + kEol);

  Settings loaded;
  loaded.directory = settings.directory;
  for (int which = 1; which <= 3; ++which) EXPECT_TRUE(LoadSetting(loaded, which, ui));
  EXPECT_EQ(loaded.portName, "COM12");
  EXPECT_EQ(loaded.PortIndex, 11);
  EXPECT_EQ(loaded.BaudIndex, 1);
  EXPECT_EQ(loaded.AccessPassword, "0042");
  EXPECT_TRUE(ui.boxes.empty());

  // Overwriting replaces the old value and leaves no temporary file behind.
  settings.portName = "/dev/ttyACM0";
  EXPECT_TRUE(SaveSetting(settings, 1, ui));
  EXPECT_EQ(Get(kPortFile), std::string("/dev/ttyACM0") + kEol);
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 3);
}

TEST_F(ConfigTest, FailedWriteIsShownAndKeepsTheOldFile) {
  Put(kPortFile, "COM3\n");
  // The temporary file cannot be created: a folder stands in its place.
  fs::create_directory(dir / "num_port.ini.tmp");
  settings.portName = "COM4";
  EXPECT_FALSE(SaveSetting(settings, 1, ui));
  EXPECT_EQ(Get(kPortFile), "COM3\n");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, "Ошибка");
  EXPECT_EQ(ui.boxes[0].text, "Не удалось записать файл num_port.ini!");
}

TEST_F(ConfigTest, FailedWriteIntoAMissingFolder) {
  Put("not-a-folder", "x");
  settings.directory = (dir / "not-a-folder").string();
  settings.pendingPassword = "1111";
  EXPECT_FALSE(SaveSetting(settings, 3, ui));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "Не удалось записать файл pass_fr.ini!");
}

TEST_F(ConfigTest, FailedRenameRemovesTheTemporaryFile) {
  // The settings file's name is taken by a folder: the rename over it fails.
  fs::create_directory(dir / kBaudFile);
  fs::create_directory(dir / kBaudFile / "inside");
  settings.baudName = "CBR_9600";
  EXPECT_FALSE(SaveSetting(settings, 2, ui));
  EXPECT_FALSE(fs::exists(dir / "baude_fr.ini.tmp"));
  EXPECT_EQ(ui.boxes.size(), 1u);
}

}  // namespace
}  // namespace ptk
