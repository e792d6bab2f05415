#include "ui/form.h"

#include <algorithm>

#include "app/paths.h"
#include "app/texts.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "ui/backend.h"
#include "ui/ui.h"

namespace ui {

Control::Control(Form& form, const ControlDesc& desc)
    : form_(form), desc_(desc), text_(desc.text ? desc.text : "") {}

Control::~Control() = default;

void Control::SetText(const std::string& text) {
  text_ = text;
  backend::ShowText(*this);
}

void Button::Click() { Dispatch(OnClick); }

void RadioGroup::AddItem(const std::string& item) {
  items_.push_back(item);
  backend::ShowItems(*this);
}

void RadioGroup::SetItemIndex(int index) {
  itemIndex_ = std::clamp(index, -1, static_cast<int>(items_.size()) - 1);
  backend::ShowItemIndex(*this);
}

void RadioGroup::Choose(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size()) || index == itemIndex_) return;
  SetItemIndex(index);
  Dispatch(OnClick);
}

std::string RadioGroup::ItemName(int index) const {
  return std::string(Name()) + "." + std::to_string(index);
}

void Memo::SetLines(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  backend::ShowLines(*this);
}

void Memo::LoadFromFile(const std::string& path) {
  std::string bytes;
  if (!platform::ReadWholeFile(path, &bytes)) throw Exception(path + text::kCannotRead);
  SetLines(SplitLines(bytes));
}

ProgressBar::ProgressBar(Form& form, const ControlDesc& desc)
    : Control(form, desc), min_(desc.min), max_(desc.max), step_(desc.step) {}

void ProgressBar::SetMin(std::int32_t value) {
  min_ = value;
  Clamp(position_);
}

void ProgressBar::SetMax(std::int32_t value) {
  max_ = value;
  Clamp(position_);
}

void ProgressBar::SetStep(std::int32_t value) {
  step_ = value;
  backend::ShowProgress(*this);
}

void ProgressBar::SetPosition(std::int32_t value) { Clamp(value); }

// Widened so that a step past either end cannot overflow.
void ProgressBar::StepIt() { Clamp(std::int64_t{position_} + step_); }

void ProgressBar::Clamp(std::int64_t position) {
  std::int64_t low = std::min(min_, max_);
  std::int64_t high = std::max(min_, max_);
  position_ = static_cast<std::int32_t>(std::clamp(position, low, high));
  backend::ShowProgress(*this);
}

namespace {

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
unsigned char LowerAscii(char c) {
  auto b = static_cast<unsigned char>(c);
  return b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b - 'A' + 'a') : b;
}

// The directory a path names, as the list shows it: "X:\" at a drive root,
// no final backslash elsewhere. False unless the path starts at a drive's
// root.
bool DirectoryOf(std::string path, std::string* directory) {
  if (path.size() < 2 || path[1] != ':' || UpperAscii(path[0]) < 'A' || UpperAscii(path[0]) > 'Z')
    return false;
  if (path.size() == 2) path += '\\';
  if (path[2] != '\\') return false;
  while (path.size() > 3 && EndsWithBackslash(path)) path.pop_back();
  *directory = path;
  return true;
}

// The root as shown ("C:\"), then every folder name down to the directory;
// a 0x5C second byte of a double-byte character separates nothing.
std::vector<std::string> EntriesDownTo(const std::string& directory) {
  std::vector<std::string> entries{{UpperAscii(directory[0]), ':', '\\'}};
  std::string name;
  for (std::size_t i = 3; i < directory.size(); ++i) {
    if (platform::IsAnsiLeadByte(static_cast<unsigned char>(directory[i])) && i + 1 < directory.size()) {
      name += directory[i];
      name += directory[++i];
    } else if (directory[i] == '\\') {
      if (!name.empty()) entries.push_back(name);
      name.clear();
    } else {
      name += directory[i];
    }
  }
  if (!name.empty()) entries.push_back(name);
  return entries;
}

// By byte value, letters of either case alike.
bool ComesFirstByName(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return LowerAscii(x) < LowerAscii(y); });
}

}  // namespace

DriveComboBox::DriveComboBox(Form& form, const ControlDesc& desc)
    : Control(form, desc), drives_(platform::Files.DriveLetters()) {}

std::vector<std::string> DriveComboBox::Items() const {
  std::vector<std::string> items;
  for (char letter : drives_) items.push_back({letter, ':'});
  return items;
}

int DriveComboBox::ItemIndex() const {
  std::size_t index = drive_ ? drives_.find(drive_) : std::string::npos;
  return index == std::string::npos ? -1 : static_cast<int>(index);
}

void DriveComboBox::SetDirList(DirectoryListBox& list) {
  dirList_ = &list;
  list.driveCombo_ = this;
  if (!list.Directory().empty()) Follow(list.Directory()[0]);
}

void DriveComboBox::SetDrive(char letter) {
  letter = UpperAscii(letter);
  if (dirList_) {
    dirList_->EnterDrive(letter);  // the list makes this follow
  } else {
    Follow(letter);
  }
}

// The window may show the user's pick even when it could not be entered:
// it is shown the drive in force again.
void DriveComboBox::Choose(int index) {
  if (index >= 0 && index < static_cast<int>(drives_.size()) && drives_[static_cast<std::size_t>(index)] != drive_)
    Dispatch([this, index] { SetDrive(drives_[static_cast<std::size_t>(index)]); });
  backend::ShowDrive(*this);
}

void DriveComboBox::Follow(char letter) {
  drive_ = UpperAscii(letter);
  backend::ShowDrive(*this);
}

void DirectoryListBox::SetDirectory(const std::string& path) {
  if (!Enter(path)) throw Exception(path + text::kCannotRead);
}

bool DirectoryListBox::Enter(const std::string& path) {
  std::string directory;
  std::vector<std::string> subfolders;
  if (!DirectoryOf(path, &directory) || !platform::Files.ListSubfolders(directory.c_str(), &subfolders))
    return false;
  std::sort(subfolders.begin(), subfolders.end(), ComesFirstByName);
  items_ = EntriesDownTo(directory);
  current_ = static_cast<int>(items_.size()) - 1;
  items_.insert(items_.end(), subfolders.begin(), subfolders.end());
  const bool changed = directory != directory_;
  directory_ = directory;
  lastOnDrive_[UpperAscii(directory[0])] = directory;
  backend::ShowDirectory(*this);
  if (driveCombo_) driveCombo_->Follow(directory[0]);
  if (changed) Dispatch(OnChange);
  return true;
}

std::string DirectoryListBox::ItemPath(int index) const {
  if (index < 0 || index >= static_cast<int>(items_.size())) return "";
  std::string path = directory_.substr(0, 3);
  if (index > current_) return directory_ + (current_ > 0 ? "\\" : "") + items_[static_cast<std::size_t>(index)];
  for (int i = 1; i <= index; ++i) path += (i > 1 ? "\\" : "") + items_[static_cast<std::size_t>(i)];
  return path;
}

void DirectoryListBox::Open(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  Dispatch([this, index] { SetDirectory(ItemPath(index)); });
}

void DirectoryListBox::EnterDrive(char letter) {
  auto last = lastOnDrive_.find(letter);
  if (last != lastOnDrive_.end() && Enter(last->second)) return;
  SetDirectory({letter, ':', '\\'});
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end;
    if (start < text.size() && text[start] == '\r') ++start;
    if (start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

void Dispatch(const std::function<void()>& handler) {
  if (!handler) return;
  try {
    handler();
  } catch (const std::exception& e) {
    App.ShowException(e);
  }
}

namespace {

std::unique_ptr<Control> MakeControl(Form& form, const ControlDesc& desc) {
  switch (desc.kind) {
    case ControlKind::Button: return std::make_unique<Button>(form, desc);
    case ControlKind::Label: return std::make_unique<Label>(form, desc);
    case ControlKind::Edit: return std::make_unique<Edit>(form, desc);
    case ControlKind::RadioGroup: return std::make_unique<RadioGroup>(form, desc);
    case ControlKind::Memo: return std::make_unique<Memo>(form, desc);
    case ControlKind::ProgressBar: return std::make_unique<ProgressBar>(form, desc);
    case ControlKind::DriveComboBox: return std::make_unique<DriveComboBox>(form, desc);
    case ControlKind::DirectoryListBox: return std::make_unique<DirectoryListBox>(form, desc);
  }
  throw Exception(std::string("control of unknown kind: ") + desc.name);
}

// Tab stops in their order, then the controls that take no focus.
bool ComesFirstInTabOrder(const std::unique_ptr<Control>& a, const std::unique_ptr<Control>& b) {
  unsigned ta = static_cast<unsigned>(a->Desc().tabOrder);  // kNoTabStop sorts last
  unsigned tb = static_cast<unsigned>(b->Desc().tabOrder);
  return ta < tb;
}

}  // namespace

Form::Form(Form* owner, const FormDesc& desc)
    : owner_(owner), desc_(desc), caption_(desc.caption ? desc.caption : "") {
  window_ = backend::CreateFormWindow(*this);
  for (const ControlDesc& control : desc.controls) controls_.push_back(MakeControl(*this, control));
  std::vector<std::unique_ptr<Control>*> order;
  for (auto& control : controls_) order.push_back(&control);
  std::stable_sort(order.begin(), order.end(),
                   [](auto* a, auto* b) { return ComesFirstInTabOrder(*a, *b); });
  for (auto* control : order) (*control)->window_ = backend::CreateControlWindow(**control);
}

Form::~Form() = default;

void* Form::Handle() const { return backend::NativeHandle(*this); }

int Form::ShowModal() {
  if (showing_) throw Exception(std::string("form is already showing: ") + desc_.name);
  Run(true);
  return modalResult_;
}

void Form::Run(bool modal) {
  closed_ = false;
  modalResult_ = mrNone;
  showing_ = true;
  App.running_.push_back(this);
  struct Leave {
    Form& form;
    ~Leave() {
      App.running_.pop_back();
      form.showing_ = false;
    }
  } leave{*this};
  backend::RunForm(*this, modal);
}

void Form::Close() {
  closed_ = true;
  modalResult_ = mrCancel;
  if (showing_) backend::WakeRun(*this);
}

void Form::SetCaption(const std::string& caption) {
  caption_ = caption;
  backend::ShowCaption(*this);
}

void Form::SetBorderIcons(BorderIcons icons) {
  borderIcons_ = icons;
  backend::ShowBorderIcons(*this);
}

Control& Form::FindControl(const std::string& name) const {
  for (const auto& control : controls_)
    if (name == control->Name()) return *control;
  throw Exception(std::string("no control ") + name + " on " + desc_.name);
}

namespace {
Button* ButtonWith(const std::vector<std::unique_ptr<Control>>& controls, unsigned setting) {
  for (const auto& control : controls)
    if (control->Kind() == ControlKind::Button && (control->Desc().settings & setting))
      return static_cast<Button*>(control.get());
  return nullptr;
}
}  // namespace

Button* Form::DefaultButton() const { return ButtonWith(controls_, kDefault); }
Button* Form::CancelButton() const { return ButtonWith(controls_, kCancel); }

}  // namespace ui
