// The script reader: every step, the targets and values it takes apart, and the lines it
// refuses, with their line numbers.
#include "core/shell/script.h"

#include <gtest/gtest.h>

namespace ptk {
namespace {

struct GoodRow {
  const char* line;
  StepKind kind;
  const char* window;
  const char* control;
  const char* value;
};

void PrintTo(const GoodRow& row, std::ostream* out) {
  *out << row.line;
}

class GoodLines : public ::testing::TestWithParam<GoodRow> {};

TEST_P(GoodLines, AreTakenApart) {
  const GoodRow& row = GetParam();
  const std::optional<ScriptStep> step = ParseScriptLine(row.line, 7);
  ASSERT_TRUE(step.has_value());
  EXPECT_EQ(step->kind, row.kind) << step->error;
  EXPECT_EQ(step->line, 7);
  EXPECT_EQ(step->text, row.line);
  EXPECT_EQ(step->window, row.window);
  EXPECT_EQ(step->control, row.control);
  EXPECT_EQ(step->value, row.value);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, GoodLines,
    ::testing::Values(
        GoodRow{"menu mi_Registr", StepKind::Menu, "mi_Registr", "", ""},
        // The text is the rest of the line, blanks included, leading and trailing.
        GoodRow{"type fm_PrnStr.ed_PrnStr  два  слова ", StepKind::Type, "fm_PrnStr", "ed_PrnStr",
                " два  слова "},
        GoodRow{"type fm_Chek.edm_Summ", StepKind::Type, "fm_Chek", "edm_Summ", ""},
        GoodRow{"set fm_PrnField.cb_IntensivFont #3", StepKind::Set, "fm_PrnField",
                "cb_IntensivFont", "#3"},
        GoodRow{"set fm_X.ed_A", StepKind::Set, "fm_X", "ed_A", ""},
        GoodRow{"click fm_Ver.bt_VerOk", StepKind::Click, "fm_Ver", "bt_VerOk", ""},
        GoodRow{"key fm_RegComm.ed_Pass Return", StepKind::Key, "fm_RegComm", "ed_Pass", "Return"},
        GoodRow{"key fm_MainFr.ed_rezult Ctrl+L", StepKind::Key, "fm_MainFr", "ed_rezult",
                "Ctrl+L"},
        GoodRow{"close fm_Ver", StepKind::Close, "fm_Ver", "", ""},
        GoodRow{"show fm_SostFR", StepKind::Show, "fm_SostFR", "", ""},
        GoodRow{"show fm_SostFR.mem_SostFR", StepKind::Show, "fm_SostFR", "mem_SostFR", ""},
        GoodRow{"state fm_Ver.bt_VerOk", StepKind::State, "fm_Ver", "bt_VerOk", ""},
        GoodRow{"state mi_Reg", StepKind::State, "mi_Reg", "", ""},
        GoodRow{"file /tmp/a b.bin", StepKind::File, "", "", "/tmp/a b.bin"},
        GoodRow{"wait 250", StepKind::Wait, "", "", ""},
        GoodRow{"list", StepKind::List, "", "", ""},
        // Leading blanks before the step.
        GoodRow{"  answer no 2", StepKind::Answer, "", "", ""}));

TEST(ScriptReader, NumbersAnswersCellsAndCancel) {
  const ScriptStep answer = *ParseScriptLine("answer cancel 3", 1);
  EXPECT_EQ(answer.answer, Answer::Cancel);
  EXPECT_EQ(answer.count, 3);
  EXPECT_EQ(ParseScriptLine("answer yes", 1)->count, 1);
  EXPECT_EQ(ParseScriptLine("wait 1500", 1)->ms, 1500);

  const ScriptStep cell = *ParseScriptLine("set fm_MenadgerReg.sg_Reg[12,3] 1 234,50", 1);
  ASSERT_EQ(cell.kind, StepKind::Set) << cell.error;
  EXPECT_EQ(cell.control, "sg_Reg");
  EXPECT_EQ(cell.row, 12);
  EXPECT_EQ(cell.column, 3);
  EXPECT_EQ(cell.value, "1 234,50");
  EXPECT_EQ(cell.Target(), "fm_MenadgerReg.sg_Reg[12,3]");
  const ScriptStep cellClick = *ParseScriptLine("click fm_DataTable.sg_Pass[2,1]", 1);
  ASSERT_EQ(cellClick.kind, StepKind::Click) << cellClick.error;
  EXPECT_EQ(cellClick.Target(), "fm_DataTable.sg_Pass[2,1]");

  EXPECT_TRUE(ParseScriptLine("file -", 1)->cancel);
  EXPECT_FALSE(ParseScriptLine("file -x", 1)->cancel);
}

TEST(ScriptReader, LaterHoldsItsStep) {
  const ScriptStep later = *ParseScriptLine("later 300 click fm_Process.bt_Cancel", 4);
  ASSERT_EQ(later.kind, StepKind::Later) << later.error;
  EXPECT_EQ(later.ms, 300);
  ASSERT_TRUE(later.inner);
  EXPECT_EQ(later.inner->kind, StepKind::Click);
  EXPECT_EQ(later.inner->line, 4);
  EXPECT_EQ(later.inner->text, "click fm_Process.bt_Cancel");
  EXPECT_EQ(later.inner->Target(), "fm_Process.bt_Cancel");
}

struct BadRow {
  const char* line;
  const char* error;
};

void PrintTo(const BadRow& row, std::ostream* out) {
  *out << row.line;
}

class BadLines : public ::testing::TestWithParam<BadRow> {};

TEST_P(BadLines, AreInvalidWithTheirReason) {
  const std::optional<ScriptStep> step = ParseScriptLine(GetParam().line, 12);
  ASSERT_TRUE(step.has_value());
  EXPECT_EQ(step->kind, StepKind::Invalid);
  EXPECT_EQ(step->line, 12);
  EXPECT_EQ(step->error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, BadLines,
    ::testing::Values(
        BadRow{"press fm_A.bt_B", "неизвестный шаг: press"},
        BadRow{"Menu mi_Exit", "неизвестный шаг: Menu"}, BadRow{"menu", "не указан пункт меню"},
        BadRow{"menu mi_Exit now", "лишнее после шага: now"},
        BadRow{"click fm_Ver", "не указан элемент: нужно ОКНО.ЭЛЕМЕНТ, а не fm_Ver"},
        BadRow{"type", "не указан элемент: нужно ОКНО.ЭЛЕМЕНТ"},
        BadRow{"click fm_Ver.", "неверное имя: fm_Ver."},
        BadRow{"click .bt_VerOk", "неверное имя: .bt_VerOk"},
        BadRow{"click fm_Ver.bt_VerOk twice", "лишнее после шага: twice"},
        BadRow{"close fm_Ver.bt_VerExit", "закрыть можно только окно, а не fm_Ver.bt_VerExit"},
        BadRow{"close", "не указано окно"}, BadRow{"key fm_RegComm.ed_Pass", "не указана клавиша"},
        BadRow{"set fm_X.sg_A[1] x", "неверная ячейка: sg_A[1]"},
        BadRow{"set fm_X.sg_A[a,2] x", "неверная ячейка: sg_A[a,2]"},
        BadRow{"answer maybe", "ответ должен быть yes, no, ok или cancel: maybe"},
        BadRow{"answer yes 0", "ожидалось число ответов: 0"},
        BadRow{"answer yes 2 3", "ожидалось число ответов: 2 3"}, BadRow{"file", "не указан путь"},
        BadRow{"wait", "ожидалось число миллисекунд: "},
        BadRow{"wait -5", "ожидалось число миллисекунд: -5"},
        BadRow{"wait 10ms", "ожидалось число миллисекунд: 10ms"},
        BadRow{"wait 10 20", "лишнее после шага: 20"}, BadRow{"list all", "лишнее после шага: all"},
        BadRow{"later 100", "не указан шаг после числа миллисекунд"},
        BadRow{"later 100 # comment", "не указан шаг после числа миллисекунд"},
        BadRow{"later 100 jump", "неизвестный шаг: jump"},
        BadRow{"later 1 later 2 wait 3", "шаг later не может содержать later"}));

TEST(ScriptReader, WholeScriptKeepsPhysicalLineNumbers) {
  const std::string text =
      "\xEF\xBB\xBF# a comment\r\n"
      "menu mi_SostKKM\r\n"
      "\r\n"
      "   \t\n"
      "    # an indented comment\n"
      "show fm_SostFR.mem_SostFR\n"
      "bogus\n"
      "click fm_SostFR.bt_SostFRExit";  // no line break at the end
  const std::vector<ScriptStep> steps = ParseScript(text);
  ASSERT_EQ(steps.size(), 4u);
  EXPECT_EQ(steps[0].line, 2);
  EXPECT_EQ(steps[0].text, "menu mi_SostKKM");
  EXPECT_EQ(steps[1].line, 6);
  EXPECT_EQ(steps[2].line, 7);
  EXPECT_EQ(steps[2].kind, StepKind::Invalid);
  EXPECT_EQ(steps[3].line, 8);
  EXPECT_EQ(steps[3].kind, StepKind::Click);
  EXPECT_TRUE(ParseScript("").empty());
  EXPECT_TRUE(ParseScript("# only\n\n").empty());
}

TEST(ScriptReader, LineBreaksAreWrittenAsBackslashN) {
  EXPECT_EQ(EscapeLineBreaks("Выйти из режима и \nвернуться?"), "Выйти из режима и \\nвернуться?");
  EXPECT_EQ(EscapeLineBreaks("a\r\nb\rc\n"), "a\\nb\\nc\\n");
  EXPECT_EQ(EscapeLineBreaks("plain"), "plain");
}

}  // namespace
}  // namespace ptk
