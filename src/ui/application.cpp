#include "ui/ui.h"

#include "app/paths.h"
#include "ui/backend.h"

namespace ui {

Application App;

// The back end sets itself up with the first form, since the readme comes
// before this call.
void Application::Initialize() {}

const std::string& Application::ExeName() const {
  exeName_ = backend::ModuleFileName();
  return exeName_;
}

const std::string& Application::Title() const {
  if (!title_.empty()) return title_;
  defaultTitle_ = ChangeFileExt(FileNamePart(ExeName()), "");
  return defaultTitle_;
}

int Application::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  return backend::ShowMessageBox(ActiveForm(), text, caption, flags);
}

void Application::Adopt(std::unique_ptr<Form> form) {
  if (!mainForm_) mainForm_ = form.get();
  forms_.push_back(std::move(form));
}

void Application::Run() {
  if (mainForm_) mainForm_->Run(false);
}

void Application::ShowException(const std::exception& e) {
  MessageBox(e.what(), Title(), kMbOk | kMbIconStop);
}

void ShowMessage(const std::string& text) { App.MessageBox(text, App.Title(), kMbOk); }

}  // namespace ui
