// Playing the user in native tests. The headless back end keeps no windows:
// forms and controls are their own plain state, which a test reads back
// directly (Caption(), Text(), Items(), ItemIndex(), Lines(), Position(),
// Max() ...). What the user does is a script of steps, consumed in order:
//
//   - whenever a form's run starts (ShowModal, or Application::Run for the
//     main form), steps act on that form until it has closed; a step may
//     start a nested run (a handler that shows another form), which takes
//     the steps that follow until it has closed, and then the outer run goes
//     on with the rest;
//   - whenever a message box is shown (from start-up, a handler, or inside
//     a nested run), the next step must be an Answer.
//
//   ui::headless::User user({
//       Click("rgPackage.1"),          // choose the second variant
//       Click("btnChange"),            // opens the chooser: its own run
//       ChooseDrive("dcxDrive", 'D'),  //   another drive
//       OpenItem("dlxDirectory", "Apps"), //   a subfolder of its root
//       PressEscape(),                 //   closes the chooser
//       Check([](ui::Form& f) { ... }),// read the main form in the middle
//       Click("btnOK"),
//       Answer(ui::kIdOk),             // the message box the click shows
//       CloseBox(),                    // the main form's close box
//   });
//
// Mistakes in the script go to Problems() instead of failing anything:
// a step that does not fit (an unknown control, an Answer while a form
// waits, a step while a box waits, a button the box does not have), or
// running out of steps, in which case the waiting form is closed and the
// waiting box is answered Cancel, so that a run always ends. A test should
// expect Problems() to be empty and StepsLeft() to be 0.
//
// One User at a time. Its making and its destruction reset the application
// object (its forms, main form and title), so each test starts afresh.
// Without a User, every run closes at once and every box is answered Cancel.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "ui/ui.h"

namespace ui::headless {

struct Step {
  enum class Action { Click, Enter, Escape, CloseBox, Answer, Check, ChooseDrive, Open };
  Action action;
  std::string control;              // Click, ChooseDrive, Open
  int answer = 0;                   // Answer
  std::function<void(Form&)> check; // Check
  std::string item;                 // ChooseDrive: the letter; Open: the entry's text
  int index = -1;                   // Open: the entry's index, when item is empty
};

// A button, or a radio item by its item name ("rgPackage.0" ...).
Step Click(const std::string& control);
Step PressEnter();   // the default button
Step PressEscape();  // the cancel button
Step CloseBox();     // the title bar's close button
// Picks the drive of that letter in a drive combo box.
Step ChooseDrive(const std::string& control, char letter);
// Double-clicks an entry of a directory list: the first one showing that
// text, or the one at index.
Step OpenItem(const std::string& control, const std::string& entry);
Step OpenItemAt(const std::string& control, int index);
Step Answer(int button);
// Runs check on the form that is waiting; an exception out of it is a
// problem.
Step Check(std::function<void(Form&)> check);

struct MessageBoxRecord {
  std::string text;
  std::string caption;
  unsigned flags;
  std::string owner;  // name of the form that owned the box, empty for none
};

struct FormRecord {
  std::string name;
  std::string caption;  // when its run started
};

class User {
 public:
  explicit User(std::vector<Step> steps, std::string moduleFileName = "C:\\DISC\\INSTALL.EXE");
  ~User();
  User(const User&) = delete;
  User& operator=(const User&) = delete;

  const std::vector<MessageBoxRecord>& MessageBoxes() const { return boxes_; }
  const std::vector<FormRecord>& FormsShown() const { return forms_; }
  const std::vector<std::string>& Problems() const { return problems_; }
  std::size_t StepsLeft() const { return steps_.size() - next_; }

  // Used by the headless back end.
  static User* Current();
  const std::string& ModuleFileName() const { return moduleFileName_; }
  void RunForm(Form& form);
  int ShowMessageBox(Form* owner, const std::string& text, const std::string& caption,
                     unsigned flags);

 private:
  const Step* NextStep();
  void Perform(Form& form, const Step& step);
  void Problem(const std::string& what) { problems_.push_back(what); }

  std::vector<Step> steps_;
  std::size_t next_ = 0;
  std::string moduleFileName_;
  std::vector<MessageBoxRecord> boxes_;
  std::vector<FormRecord> forms_;
  std::vector<std::string> problems_;
};

}  // namespace ui::headless
