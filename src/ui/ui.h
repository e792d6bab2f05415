// The control layer the dialogs are made of: forms and controls (form.h),
// the application object and message boxes.
#pragma once

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "ui/form.h"

// <windows.h> maps MessageBox to MessageBoxA; the member below keeps its
// own name in every translation unit.
#ifdef MessageBox
#undef MessageBox
#endif

namespace ui {

// Message box flags and answers, numbered as Windows numbers them (named
// apart from <windows.h>'s macros).
constexpr unsigned kMbOk = 0x00;
constexpr unsigned kMbOkCancel = 0x01;
constexpr unsigned kMbYesNo = 0x04;
constexpr unsigned kMbIconStop = 0x10;
constexpr unsigned kMbIconInformation = 0x40;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

class Application {
 public:
  void Initialize();

  // The program's own full path.
  const std::string& ExeName() const;
  // Until it is set, the title is the program's file name without its
  // extension, so that no box goes without a caption.
  const std::string& Title() const;
  void SetTitle(const std::string& title) { title_ = title; }

  // Owned by the form that is running, if any; returns the button pressed
  // (kIdOk, kIdCancel, kIdYes, kIdNo ...).
  int MessageBox(const std::string& text, const std::string& caption, unsigned flags);

  // instance := new T(nullptr); the first form so created is the main form.
  // The application owns it until it is itself destroyed.
  template <class T>
  void CreateForm(T*& instance) {
    instance = nullptr;
    std::unique_ptr<T> form(new T(nullptr));
    instance = form.get();
    Adopt(std::move(form));
  }
  Form* MainForm() const { return mainForm_; }

  // Shows the main form and returns when it has closed. Destroys nothing.
  void Run();

  // The exception's message in a box with one OK button and a stop icon.
  void ShowException(const std::exception& e);

  // The form whose run is innermost, null when none runs.
  Form* ActiveForm() const { return running_.empty() ? nullptr : running_.back(); }

 private:
  friend class Form;
  void Adopt(std::unique_ptr<Form> form);

  std::string title_;
  mutable std::string exeName_;
  mutable std::string defaultTitle_;
  std::vector<std::unique_ptr<Form>> forms_;
  Form* mainForm_ = nullptr;
  std::vector<Form*> running_;  // forms whose run has not returned, innermost last
};

extern Application App;

// The text with one OK button, captioned with the application's title.
void ShowMessage(const std::string& text);

}  // namespace ui
