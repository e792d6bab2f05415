// The headless back end: no windows; runs and message boxes are played by
// the test's User (user.h).
#include <algorithm>
#include <cctype>

#include "ui/backend.h"
#include "ui/headless/user.h"

namespace ui {
namespace backend {

struct Window {};
void WindowDeleter::operator()(Window* window) const { delete window; }

WindowPtr CreateFormWindow(Form&) { return nullptr; }
WindowPtr CreateControlWindow(Control&) { return nullptr; }
// No window: the form's address stands in, so that a test sees which form
// owned a call.
void* NativeHandle(const Form& form) { return const_cast<Form*>(&form); }
void ShowCaption(Form&) {}
void ShowBorderIcons(Form&) {}
void ShowText(Control&) {}
void ShowItems(RadioGroup&) {}
void ShowItemIndex(RadioGroup&) {}
void ShowLines(Memo&) {}
void ShowProgress(ProgressBar&) {}
void ShowDrive(DriveComboBox&) {}
void ShowDirectory(DirectoryListBox&) {}

void RunForm(Form& form, bool) {
  if (headless::User* user = headless::User::Current()) {
    user->RunForm(form);
  } else {
    form.Close();
  }
}

void WakeRun(Form&) {}

int ShowMessageBox(Form* owner, const std::string& text, const std::string& caption,
                   unsigned flags) {
  headless::User* user = headless::User::Current();
  return user ? user->ShowMessageBox(owner, text, caption, flags) : kIdCancel;
}

std::string ModuleFileName() {
  headless::User* user = headless::User::Current();
  return user ? user->ModuleFileName() : "C:\\DISC\\INSTALL.EXE";
}

}  // namespace backend

namespace headless {
namespace {

User* current = nullptr;

Step Make(Step::Action action) { return Step{action, {}, 0, {}, {}, -1}; }

// The answers a box of these flags offers.
std::vector<int> Buttons(unsigned flags) {
  switch (flags & 0xF) {
    case 0x0: return {kIdOk};
    case 0x1: return {kIdOk, kIdCancel};
    case 0x2: return {3, 4, 5};  // abort, retry, ignore
    case 0x3: return {kIdYes, kIdNo, kIdCancel};
    case 0x4: return {kIdYes, kIdNo};
    case 0x5: return {4, kIdCancel};  // retry, cancel
    default: return {};
  }
}

}  // namespace

Step Click(const std::string& control) {
  Step step = Make(Step::Action::Click);
  step.control = control;
  return step;
}
Step PressEnter() { return Make(Step::Action::Enter); }
Step PressEscape() { return Make(Step::Action::Escape); }
Step CloseBox() { return Make(Step::Action::CloseBox); }
Step ChooseDrive(const std::string& control, char letter) {
  Step step = Make(Step::Action::ChooseDrive);
  step.control = control;
  step.item = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
  return step;
}
Step OpenItem(const std::string& control, const std::string& entry) {
  Step step = Make(Step::Action::Open);
  step.control = control;
  step.item = entry;
  return step;
}
Step OpenItemAt(const std::string& control, int index) {
  Step step = Make(Step::Action::Open);
  step.control = control;
  step.index = index;
  return step;
}
Step Answer(int button) {
  Step step = Make(Step::Action::Answer);
  step.answer = button;
  return step;
}
Step Check(std::function<void(Form&)> check) {
  Step step = Make(Step::Action::Check);
  step.check = std::move(check);
  return step;
}

User::User(std::vector<Step> steps, std::string moduleFileName)
    : steps_(std::move(steps)), moduleFileName_(std::move(moduleFileName)) {
  App = Application();
  current = this;
}

User::~User() {
  current = nullptr;
  App = Application();
}

User* User::Current() { return current; }

const Step* User::NextStep() { return next_ < steps_.size() ? &steps_[next_++] : nullptr; }

void User::RunForm(Form& form) {
  forms_.push_back({form.Desc().name, form.Caption()});
  while (!form.Closed()) {
    const Step* step = NextStep();
    if (!step) {
      Problem(std::string("script ended while ") + form.Desc().name + " was waiting");
      form.Close();
      return;
    }
    Perform(form, *step);
  }
}

void User::Perform(Form& form, const Step& step) {
  const std::string where = std::string(" on ") + form.Desc().name;
  switch (step.action) {
    case Step::Action::Click: {
      std::size_t dot = step.control.find('.');
      try {
        if (dot == std::string::npos) {
          form.Find<Button>(step.control).Click();
        } else {
          int index = std::stoi(step.control.substr(dot + 1));
          form.Find<RadioGroup>(step.control.substr(0, dot)).Choose(index);
        }
      } catch (const std::exception& e) {
        Problem("cannot click " + step.control + where + ": " + e.what());
      }
      return;
    }
    case Step::Action::ChooseDrive:
      try {
        auto& combo = form.Find<DriveComboBox>(step.control);
        std::size_t index = combo.Drives().find(step.item);
        if (index == std::string::npos) throw Exception("no drive " + step.item + ":");
        combo.Choose(static_cast<int>(index));
      } catch (const std::exception& e) {
        Problem("cannot choose a drive in " + step.control + where + ": " + e.what());
      }
      return;
    case Step::Action::Open:
      try {
        auto& list = form.Find<DirectoryListBox>(step.control);
        const std::vector<std::string>& items = list.Items();
        auto named = std::find(items.begin(), items.end(), step.item);
        int index = step.item.empty() ? step.index : static_cast<int>(named - items.begin());
        if (index < 0 || index >= static_cast<int>(items.size()))
          throw Exception("no entry " + (step.item.empty() ? std::to_string(step.index) : step.item));
        list.Open(index);
      } catch (const std::exception& e) {
        Problem("cannot open in " + step.control + where + ": " + e.what());
      }
      return;
    case Step::Action::Enter:
      if (Button* button = form.DefaultButton()) button->Click();
      return;
    case Step::Action::Escape:
      if (Button* button = form.CancelButton()) button->Click();
      return;
    case Step::Action::CloseBox:
      if (form.GetBorderIcons() & biSystemMenu) {
        form.Close();
      } else {
        Problem("no close box" + where);
      }
      return;
    case Step::Action::Answer:
      Problem("an answer while a form waits" + where);
      return;
    case Step::Action::Check:
      try {
        step.check(form);
      } catch (const std::exception& e) {
        Problem("check failed" + where + ": " + e.what());
      }
      return;
  }
}

int User::ShowMessageBox(Form* owner, const std::string& text, const std::string& caption,
                         unsigned flags) {
  boxes_.push_back({text, caption, flags, owner ? owner->Desc().name : ""});
  const Step* step = NextStep();
  if (!step) {
    Problem("script ended while a message box was waiting: " + text);
    return kIdCancel;
  }
  if (step->action != Step::Action::Answer) {
    Problem("a message box waits for an answer: " + text);
    return kIdCancel;
  }
  std::vector<int> offered = Buttons(flags);
  if (std::find(offered.begin(), offered.end(), step->answer) == offered.end()) {
    Problem("the message box has no button " + std::to_string(step->answer) + ": " + text);
    return kIdCancel;
  }
  return step->answer;
}

}  // namespace headless
}  // namespace ui
