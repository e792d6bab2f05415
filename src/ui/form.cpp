#include "ui/form.h"

#include <algorithm>

#include "app/texts.h"
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
