// A scripted run of the program: performs the steps of a script on the real windows, as
// a person would, answers the boxes and file dialogs in the person's place, and writes a
// transcript of everything the program showed.
#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <deque>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/shell/script.h"
#include "ui/base/qt_user_interface.h"

class QAction;
class QWidget;

namespace ptk::ui {

class AppContext;
class SessionRecorder;

inline constexpr int kScriptPerformed = 0;  // the last step was performed
inline constexpr int kScriptFailed = 3;     // a step could not be performed

class ScriptRunner final : public QObject, public QtUserInterface::Responder {
  Q_OBJECT
 public:
  ScriptRunner(AppContext& context, QtUserInterface& ui, std::vector<ScriptStep> steps,
               std::ostream& out);
  ~ScriptRunner() override;

  // Answers boxes from construction on. Start (once the windows exist) waits for the main
  // window's first activation, runs the steps, then ends the program's message loop.
  void Start();
  // Runs every step now, without waiting (the main window is already activated), and
  // leaves the message loop running.
  void Run();
  int exitCode() const { return exitCode_; }
  // After a step that could not be performed, go on with the next one (the run still ends
  // with kScriptFailed); a closed main window ends the run all the same.
  void SetKeepGoing(bool on) { keepGoing_ = on; }
  // Steps read one line at a time from in once the given steps are done, each read when
  // the step before it has been performed (a driving program reads the transcript between
  // its steps). The stream must outlive the run.
  void SetInput(std::istream* in) { input_ = in; }
  // Makes the armed later step written as text now rather than at its time (a replay
  // reached the place its recording made it).
  void PerformLaterNow(const std::string& text);
  // Records the steps performed as a person's actions (with --record).
  void SetRecorder(SessionRecorder* recorder) { recorder_ = recorder; }

  // Responder.
  Answer Box(std::string_view caption, std::string_view text, Icon icon, Buttons buttons) override;
  std::optional<std::string> File(const FileRequest& request) override;

 private:
  struct Later {
    std::shared_ptr<const ScriptStep> step;
    int line;
    int ms;
  };

  void WaitForActivation(int attempt);
  void Finish(int code);
  // Performs one step; the text of the error when it could not be performed.
  std::optional<std::string> Perform(const ScriptStep& step);
  std::optional<std::string> Do(const ScriptStep& step);
  void ArmLaterSteps();
  void PerformLater(const Later& later);
  void FireLater(const std::shared_ptr<Later>& later);
  void Settle();
  void RunFor(int ms);

  std::optional<std::string> Menu(const ScriptStep& step);
  std::optional<std::string> Type(const ScriptStep& step);
  std::optional<std::string> Set(const ScriptStep& step);
  std::optional<std::string> Click(const ScriptStep& step);
  std::optional<std::string> Key(const ScriptStep& step);
  std::optional<std::string> Close(const ScriptStep& step);
  std::optional<std::string> Show(const ScriptStep& step, bool stateOnly);
  std::optional<std::string> List();
  // Reads the next step from input_ into steps_; false at its end (or without input).
  bool ReadStep();

  // Lookups; each sets error_ text when the name is not found.
  QWidget* FindWindow(const std::string& name, std::string& error) const;
  QWidget* FindControl(const ScriptStep& step, std::string& error) const;
  QAction* FindMenuItem(const std::string& name) const;
  // Why a person cannot reach the control (hidden, disabled, under a modal window).
  std::optional<std::string> Unreachable(QWidget* control, const ScriptStep& step) const;
  void Focus(QWidget* control);
  void SendKey(QWidget* control, int key, Qt::KeyboardModifiers modifiers, const QString& text);
  // A left-button press and release at local, as a mouse click.
  void SendClick(QWidget* target, QPointF local);

  void Print(const std::string& line);

  AppContext& context_;
  QtUserInterface& ui_;
  std::vector<ScriptStep> steps_;
  std::ostream& out_;
  std::deque<Answer> answers_;
  std::deque<std::optional<std::string>> files_;
  std::vector<Later> unarmed_;
  std::vector<std::shared_ptr<Later>> armed_;  // waiting for their time
  int pendingLater_ = 0;
  std::optional<std::pair<int, std::string>> laterError_;
  bool mainClosed_ = false;
  bool running_ = false;
  bool endsProgram_ = false;  // started by Start(): the end of the run ends the program
  int exitCode_ = kScriptPerformed;
  bool keepGoing_ = false;
  std::istream* input_ = nullptr;
  SessionRecorder* recorder_ = nullptr;
  int inputLine_ = 0;
};

}  // namespace ptk::ui
