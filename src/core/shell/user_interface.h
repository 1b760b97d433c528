// The only way the core reaches the person at the keyboard: modal message boxes, file
// dialogs, the main window's result line (ed_rezult), and pumping window messages while the
// link waits. The Qt layer implements it; tests and ptk-cli use recording versions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ptk {

enum class Icon { Error, Information, Question, Warning };
enum class Buttons { Ok, YesNo, OkCancel };
enum class Answer { Ok, Cancel, Yes, No };

// An open, save or folder dialog.
enum class FileDialogKind { Open, Save, Folder };
struct FileRequest {
  FileDialogKind kind = FileDialogKind::Open;
  std::string caption;
  std::string filter;     // "Образы ПО (*.bin);;Все файлы (*)"; empty: any file
  std::string directory;  // where the dialog starts; empty: the working directory
  std::string fileName;   // the name offered (save dialogs)
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // A modal message box; returns the button the person pressed (Ok for an Ok box).
  virtual Answer ShowBox(std::string_view caption, std::string_view text, Icon icon,
                         Buttons buttons = Buttons::Ok) = 0;

  // A file or folder dialog; the path the person chose, nullopt when it was cancelled.
  virtual std::optional<std::string> AskFile(const FileRequest& request) = 0;

  // The result line ed_rezult.
  virtual void SetResult(std::string_view text) = 0;
  virtual std::string Result() const = 0;

  // Processes pending window messages; false once the application is quitting.
  virtual bool PumpMessages() = 0;
};

// Conventional boxes: "Ошибка" with the error icon, "Информация" with the information
// icon, and "Вопрос" with the question icon and Yes/No (true on Yes).
void ShowError(UserInterface& ui, std::string_view text);
void ShowInfo(UserInterface& ui, std::string_view text);
bool AskYesNo(UserInterface& ui, std::string_view text);

inline constexpr std::string_view kCaptionError = "Ошибка";
inline constexpr std::string_view kCaptionInfo = "Информация";
inline constexpr std::string_view kCaptionQuestion = "Вопрос";

}  // namespace ptk
