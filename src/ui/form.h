// Forms and the controls they are made of. A form's description (caption,
// client size, controls with their positions, tab order and roles) is plain
// data beside the form's class; Form builds its controls from it, and the
// form's class binds its members to them by name:
//
//   const ui::FormDesc kReadmeForm = {"frmReadme", text::kCaptionReadme, 312, 213, {
//       {ControlKind::Button, "btnOK", text::kButtonOK, {232, 184, 75, 25}, 0, ui::kDefault},
//       ...}};
//   TfrmReadme::TfrmReadme(ui::Form* owner)
//       : ui::Form(owner, kReadmeForm), btnOK(Find<ui::Button>("btnOK")) ... {
//     btnOK.OnClick = [this] { btnOKClick(); };
//     ui::Dispatch([this] { FormCreate(); });  // an error is shown, the form still made
//   }
//
// Controls keep their state here, so that the program reads back what it
// set; the back end chosen at build time (ui/win32 or ui/headless) mirrors
// that state into real windows or leaves it as it is.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/state.h"

namespace ui {

// The class library's exception family.
class Exception : public std::runtime_error {
  using runtime_error::runtime_error;
};

// Modal results.
constexpr int mrNone = 0;
constexpr int mrCancel = 2;

enum class ControlKind : std::uint8_t {
  Button,
  Label,
  Edit,
  RadioGroup,
  Memo,
  ProgressBar,
  DriveComboBox,
  DirectoryListBox,
};

// Settings of a control; each applies to the kinds named.
enum Setting : unsigned {
  kDefault = 1u << 0,         // Button: Enter presses it
  kCancel = 1u << 1,          // Button: Esc presses it
  kReadOnly = 1u << 2,        // Edit, Memo
  kSkipTab = 1u << 3,         // Edit, Memo: the Tab key passes it by
  kRightAlign = 1u << 4,      // Label
  kFixedSize = 1u << 5,       // Label: keeps its bounds instead of fitting its text
  kVerticalScroll = 1u << 6,  // Memo: a vertical scroll bar, long lines wrap
  kWantTabs = 1u << 7,        // Memo: Tab typed in it stays in it
};

// Client pixels of the form. A label without kFixedSize takes its size from
// its text; its width and height are 0 here.
struct Bounds {
  int left;
  int top;
  int width;
  int height;
};

constexpr int kNoTabStop = -1;

struct ControlDesc {
  ControlKind kind;
  const char* name;
  const char* text;  // caption, group caption or initial text
  Bounds bounds;
  int tabOrder;  // kNoTabStop for labels
  unsigned settings;
  // Progress bars only.
  std::int32_t min = 0;
  std::int32_t max = 0;
  std::int32_t step = 1;
};

struct FormDesc {
  const char* name;
  const char* caption;  // null when the form composes its caption itself
  int clientWidth;
  int clientHeight;
  std::vector<ControlDesc> controls;
};

class Form;

namespace backend {
struct Window;
struct WindowDeleter {
  void operator()(Window* window) const;
};
using WindowPtr = std::unique_ptr<Window, WindowDeleter>;
}  // namespace backend

class Control {
 public:
  Control(Form& form, const ControlDesc& desc);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const ControlDesc& Desc() const { return desc_; }
  ControlKind Kind() const { return desc_.kind; }
  const char* Name() const { return desc_.name; }
  Form& Owner() const { return form_; }

  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);

  backend::Window* Window() const { return window_.get(); }

 private:
  friend class Form;
  Form& form_;
  const ControlDesc& desc_;
  std::string text_;
  backend::WindowPtr window_;
};

class Button : public Control {
 public:
  using Control::Control;
  std::function<void()> OnClick;
  // What a click does; a handler's exception is shown, not passed on.
  void Click();
};

class Label : public Control {
 public:
  using Control::Control;
};

class Edit : public Control {
 public:
  using Control::Control;
};

// One column of radio items inside a group box whose caption is the text.
class RadioGroup : public Control {
 public:
  using Control::Control;
  std::function<void()> OnClick;  // the choice changed through the user

  const std::vector<std::string>& Items() const { return items_; }
  void AddItem(const std::string& item);
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);  // -1 for none; out of range is refused
  // The user picked item index: it becomes the choice, and OnClick runs
  // when the choice changed.
  void Choose(int index);

  // Name of item index, as the harness and scripts find it: "rgPackage.1".
  std::string ItemName(int index) const;

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

// Lines of text; the lines of a file are its bytes split at CR, LF or CR LF.
class Memo : public Control {
 public:
  using Control::Control;
  const std::vector<std::string>& Lines() const { return lines_; }
  void SetLines(std::vector<std::string> lines);
  // Replaces the lines by those of the file; ui::Exception when it cannot be
  // read, the lines unchanged.
  void LoadFromFile(const std::string& path);

 private:
  std::vector<std::string> lines_;
};

// Min, Max, Step and Position are signed 32-bit; Position stays within
// Min..Max.
class ProgressBar : public Control {
 public:
  ProgressBar(Form& form, const ControlDesc& desc);
  std::int32_t Min() const { return min_; }
  std::int32_t Max() const { return max_; }
  std::int32_t Step() const { return step_; }
  std::int32_t Position() const { return position_; }
  void SetMin(std::int32_t value);
  void SetMax(std::int32_t value);
  void SetStep(std::int32_t value);
  void SetPosition(std::int32_t value);
  void StepIt();  // Position += Step

 private:
  void Clamp(std::int64_t position);
  std::int32_t min_;
  std::int32_t max_;
  std::int32_t step_;
  std::int32_t position_ = 0;
};

class DirectoryListBox;

// The drives in use, each shown as its upper-case letter and a colon. Linked
// to a directory list, it moves the list to the drive chosen and follows the
// list to the drive it moves to.
class DriveComboBox : public Control {
 public:
  DriveComboBox(Form& form, const ControlDesc& desc);

  const std::string& Drives() const { return drives_; }  // the letters, in order
  std::vector<std::string> Items() const;                // "C:" ...
  char Drive() const { return drive_; }                  // 0 before any is chosen
  int ItemIndex() const;                                 // -1 for none

  // Links both ways, once; from then on this follows the list's drive.
  void SetDirList(DirectoryListBox& list);
  // Chooses the drive; a linked list moves to the directory it last showed
  // there, or else to the drive's root. ui::Exception when neither can be
  // entered; both then stay as they were.
  void SetDrive(char letter);
  // The user picked item index; an error is shown, not passed on.
  void Choose(int index);

 private:
  friend class DirectoryListBox;
  void Follow(char letter);  // shows the list's drive

  std::string drives_;
  char drive_ = 0;
  DirectoryListBox* dirList_ = nullptr;
};

// A directory's place on its drive: the drive's root, the folders down to
// the directory, the directory itself (the entry that is ItemIndex()), then
// its subfolders by name. Directory() is a full path with no final backslash
// except at a drive root ("C:\", "C:\Program Files").
class DirectoryListBox : public Control {
 public:
  static constexpr int kItemHeight = 16;  // pixels

  using Control::Control;
  std::function<void()> OnChange;  // Directory() changed

  const std::string& Directory() const { return directory_; }
  // ui::Exception when the path cannot be entered; the list then stays
  // where it was.
  void SetDirectory(const std::string& path);
  // The same, false instead of an exception.
  bool Enter(const std::string& path);

  const std::vector<std::string>& Items() const { return items_; }
  int ItemIndex() const { return current_; }
  // Indentation of entry index: the root 0, each folder below it one more.
  int Level(int index) const { return index <= current_ ? index : current_ + 1; }
  // The full path that entry index stands for.
  std::string ItemPath(int index) const;
  // The user opened entry index (double-click or Enter): it becomes the
  // directory. An error is shown, not passed on.
  void Open(int index);

 private:
  friend class DriveComboBox;
  void EnterDrive(char letter);

  std::string directory_;
  std::vector<std::string> items_;
  int current_ = -1;
  std::map<char, std::string> lastOnDrive_;
  DriveComboBox* driveCombo_ = nullptr;
};

// The lines of a text: split at CR, LF or CR LF; a break at the very end
// starts no further line.
std::vector<std::string> SplitLines(const std::string& text);

// Runs an event handler. An exception out of it is shown the way the class
// library shows one (Application::ShowException) and goes no further.
void Dispatch(const std::function<void()>& handler);

class Form {
 public:
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Shows the form, disables its owner and returns when the form has
  // closed; the result is mrCancel.
  int ShowModal();
  // Ends the form's modal run, or the application's run for the main form.
  void Close();

  const FormDesc& Desc() const { return desc_; }
  Form* Owner() const { return owner_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  BorderIcons GetBorderIcons() const { return borderIcons_; }
  void SetBorderIcons(BorderIcons icons);

  bool Showing() const { return showing_; }
  bool Closed() const { return closed_; }
  const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }
  // The control of that name and kind; ui::Exception when there is none.
  template <class T>
  T& Find(const std::string& name) const {
    Control& control = FindControl(name);
    if (T* typed = dynamic_cast<T*>(&control)) return *typed;
    throw Exception("control of another kind: " + name);
  }
  Control& FindControl(const std::string& name) const;
  Button* DefaultButton() const;
  Button* CancelButton() const;

  backend::Window* Window() const { return window_.get(); }
  // The form's native window as an opaque pointer, for platform calls that
  // want an owner window.
  void* Handle() const;

 protected:
  // Builds the window and its controls from desc, which must outlive the
  // form; the owner's window owns this one.
  Form(Form* owner, const FormDesc& desc);

 private:
  friend class Application;
  void Run(bool modal);

  Form* owner_;
  const FormDesc& desc_;
  std::string caption_;
  BorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  bool showing_ = false;
  bool closed_ = false;
  int modalResult_ = mrNone;
  // Declared before the controls so that their windows go first.
  backend::WindowPtr window_;
  std::vector<std::unique_ptr<Control>> controls_;
};

}  // namespace ui
