// The control layer itself: nested modal runs, message boxes, handler
// exceptions, the application title, progress bars and radio groups, and
// what the scripted user reports when a script does not fit.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "form_fixture.h"
#include "ui/ui.h"

using namespace ui::headless;

namespace {

using ui::ControlKind;

const ui::FormDesc kOuterForm = {
    "frmOuter",
    "Outer",
    312,
    213,
    {
        {ControlKind::Button, "btnOpen", "&Open", {152, 184, 75, 25}, 0, ui::kDefault},
        {ControlKind::Button, "btnFail", "&Fail", {8, 184, 75, 25}, 1, 0},
        {ControlKind::ProgressBar, "pbCopy", "", {120, 88, 185, 9}, 2, 0, 0, 8, 1},
    },
};

const ui::FormDesc kInnerForm = {
    "frmInner",
    "Inner",
    312,
    213,
    {
        {ControlKind::Button, "btnAsk", "&Ask", {152, 184, 75, 25}, 0, ui::kDefault},
        {ControlKind::Button, "btnCancel", "&Cancel", {232, 184, 75, 25}, 1, ui::kCancel},
    },
};

class InnerForm : public ui::Form {
 public:
  explicit InnerForm(ui::Form* owner) : ui::Form(owner, kInnerForm) {
    Find<ui::Button>("btnAsk").OnClick = [this] {
      answer = ui::App.MessageBox("Sure?", "Question", ui::kMbYesNo);
    };
    Find<ui::Button>("btnCancel").OnClick = [this] { Close(); };
  }
  int answer = 0;
};

// Opens InnerForm owned by itself, then reports the inner answer.
class OuterForm : public ui::Form {
 public:
  explicit OuterForm(ui::Form* owner) : ui::Form(owner, kOuterForm) {
    Find<ui::Button>("btnOpen").OnClick = [this] {
      InnerForm inner(this);
      inner.ShowModal();
      ui::ShowMessage("answer " + std::to_string(inner.answer));
    };
    Find<ui::Button>("btnFail").OnClick = [] { throw ui::Exception("it failed"); };
  }
};

class UiLayer : public FormTest {};

TEST_F(UiLayer, NestedRunsAndTheirMessageBoxesTakeTheStepsInOrder) {
  User& user = Play({
      Click("btnOpen"),  // the inner form's run starts
      Check([](ui::Form& form) {
        EXPECT_EQ(form.Caption(), "Inner");
        EXPECT_TRUE(form.Owner()->Showing());
      }),
      PressEnter(),             // btnAsk
      Answer(ui::kIdNo),        //   its box
      PressEscape(),            // closes the inner form
      Answer(ui::kIdOk),        // the box after the inner run
      CloseBox(),               // the outer form
  });
  OuterForm outer(nullptr);
  outer.ShowModal();
  ExpectPlayedThrough();

  ASSERT_EQ(user.FormsShown().size(), 2u);
  EXPECT_EQ(user.FormsShown()[0].name, "frmOuter");
  EXPECT_EQ(user.FormsShown()[1].name, "frmInner");
  ASSERT_EQ(user.MessageBoxes().size(), 2u);
  const MessageBoxRecord& question = user.MessageBoxes()[0];
  EXPECT_EQ(question.text, "Sure?");
  EXPECT_EQ(question.caption, "Question");
  EXPECT_EQ(question.flags, ui::kMbYesNo);
  EXPECT_EQ(question.owner, "frmInner");
  const MessageBoxRecord& report = user.MessageBoxes()[1];
  EXPECT_EQ(report.text, "answer 7");
  EXPECT_EQ(report.caption, "INSTALL");
  EXPECT_EQ(report.flags, ui::kMbOk);
  EXPECT_EQ(report.owner, "frmOuter");
}

TEST_F(UiLayer, AHandlersExceptionIsShownAndTheFormStaysOpen) {
  User& user = Play({
      Click("btnFail"),
      Answer(ui::kIdOk),
      Check([](ui::Form& form) { EXPECT_FALSE(form.Closed()); }),
      CloseBox(),
  });
  OuterForm outer(nullptr);
  outer.ShowModal();
  ExpectPlayedThrough();
  ASSERT_EQ(user.MessageBoxes().size(), 1u);
  EXPECT_EQ(user.MessageBoxes()[0].text, "it failed");
  EXPECT_EQ(user.MessageBoxes()[0].caption, "INSTALL");
  EXPECT_EQ(user.MessageBoxes()[0].flags, ui::kMbOk | ui::kMbIconStop);
}

TEST_F(UiLayer, TheTitleIsTheProgramsNameUntilItIsSet) {
  User user({Answer(ui::kIdOk), Answer(ui::kIdOk)}, "D:\\disc\\SETUP.EXE");
  EXPECT_EQ(ui::App.ExeName(), "D:\\disc\\SETUP.EXE");
  ui::ShowMessage("before");
  ui::App.SetTitle("INSTALL");
  ui::ShowMessage("after");
  ASSERT_EQ(user.MessageBoxes().size(), 2u);
  EXPECT_EQ(user.MessageBoxes()[0].caption, "SETUP");
  EXPECT_EQ(user.MessageBoxes()[0].owner, "");
  EXPECT_EQ(user.MessageBoxes()[1].caption, "INSTALL");
  EXPECT_TRUE(user.Problems().empty());
}

TEST_F(UiLayer, RunShowsTheFirstCreatedFormAndLeavesItAlive) {
  Play({Check([](ui::Form& form) { EXPECT_EQ(form.Desc().name, std::string("frmOuter")); }),
        CloseBox()});
  OuterForm* first = nullptr;
  InnerForm* second = nullptr;
  ui::App.CreateForm(first);
  ui::App.CreateForm(second);
  EXPECT_EQ(ui::App.MainForm(), first);
  ui::App.Run();
  ExpectPlayedThrough();
  EXPECT_TRUE(first->Closed());
  EXPECT_FALSE(first->Showing());
}

TEST_F(UiLayer, ProgressBarsHoldSigned32BitValuesWithinTheirRange) {
  constexpr std::int32_t kTop = std::numeric_limits<std::int32_t>::max();
  struct Case {
    std::int32_t max;
    std::int32_t start;
    std::int32_t step;
    int steps;
    std::int32_t position;
  };
  const Case cases[] = {
      {10'000'000, 0, 65'536, 3, 196'608},   // beyond 16 bits
      {8, 0, 1, 8, 8},                       // filled exactly
      {8, 6, 5, 1, 8},                       // stepping past the end stops there
      {100, 50, -70, 1, 0},                  // and before the start
      {kTop, kTop - 1, kTop, 2, kTop},       // no overflow at the top
  };
  Play({});
  OuterForm form(nullptr);
  auto& bar = form.Find<ui::ProgressBar>("pbCopy");
  EXPECT_EQ(bar.Max(), 8);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.max);
    bar.SetMax(c.max);
    bar.SetPosition(c.start);
    bar.SetStep(c.step);
    for (int i = 0; i < c.steps; ++i) bar.StepIt();
    EXPECT_EQ(bar.Position(), c.position);
    EXPECT_EQ(bar.Step(), c.step);
  }
}

TEST_F(UiLayer, RadioGroupsReportOnlyChangesOfTheChoice) {
  const ui::FormDesc desc = {"frmRadio", "Radio", 312, 213,
                             {{ControlKind::RadioGroup, "rgPick", "Pick", {8, 8, 297, 105}, 0, 0}}};
  struct RadioForm : ui::Form {
    explicit RadioForm(const ui::FormDesc& d) : ui::Form(nullptr, d) {}
  } form(desc);
  auto& group = form.Find<ui::RadioGroup>("rgPick");
  int clicks = 0;
  group.OnClick = [&] { ++clicks; };
  group.AddItem("a");
  group.AddItem("b");
  EXPECT_EQ(group.ItemIndex(), -1);
  group.SetItemIndex(1);  // by the program: no event
  group.Choose(1);        // the same item again: no change
  group.Choose(0);
  group.Choose(5);        // no such item
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(group.ItemIndex(), 0);
  group.SetItemIndex(9);
  EXPECT_EQ(group.ItemIndex(), 1);
}

TEST_F(UiLayer, ScriptsThatDoNotFitAreReportedAndEveryRunStillEnds) {
  User& user = Play({
      Answer(ui::kIdOk),     // no box is waiting
      Click("btnNowhere"),   // no such control
      Click("btnFail"),
      Answer(ui::kIdYes),    // the box has only OK
  });                        // and then the script runs out
  OuterForm form(nullptr);
  EXPECT_EQ(form.ShowModal(), ui::mrCancel);
  EXPECT_TRUE(form.Closed());
  EXPECT_EQ(user.Problems().size(), 4u) << ::testing::PrintToString(user.Problems());
  EXPECT_EQ(ui::App.MessageBox("left", "box", ui::kMbOkCancel), ui::kIdCancel);
  EXPECT_EQ(user.Problems().size(), 5u);
}

}  // namespace
