#include "window_fixture.h"

#include "caption_table.h"
#include "chip_editor_form.h"
#include "chip_search_form.h"
#include "fill_form.h"
#include "status_bar.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <set>

namespace {

using LanguageTest = WindowTest;

// The caption a target shows, or nothing when the window has no such control yet.
std::optional<QString> CaptionOf(const CaptionRow& row) {
    QWidget* form = Form1->CaptionWindow(row.Form);
    const std::string target = row.Target;
    if (target.empty()) return form->windowTitle();
    if (target == "StatusBar1#0") return Form1->StatusBar1->PanelText(0);
    if (target == "StatusBar1#2") return Form1->StatusBar1->PanelText(2);
    for (QObject* object : form->findChildren<QObject*>(row.Target)) {
        QObject* p = object->parent();
        while (p && p != form && !qobject_cast<QDialog*>(p)) p = p->parent();
        if (p != form) continue;
        if (auto* m = qobject_cast<QMenu*>(object)) return m->title();
        if (auto* a = qobject_cast<QAction*>(object)) return a->text();
        if (auto* b = qobject_cast<QAbstractButton*>(object)) return b->text();
        if (auto* l = qobject_cast<QLabel*>(object)) return l->text();
        if (auto* g = qobject_cast<QGroupBox*>(object)) return g->title();
    }
    return std::nullopt;
}

TEST_F(LanguageTest, EveryTargetInEveryLanguage) {
    Start();
    std::set<std::pair<int, std::string>> targets;
    for (const CaptionRow& row : CaptionTable)
        targets.insert({static_cast<int>(row.Form), row.Target});
    EXPECT_EQ(targets.size(), kCaptionCount) << "82 distinct targets";

    for (int language : {2, 1, 0}) {
        void (TForm1::*click)() = language == 0   ? &TForm1::ChinaClick
                                  : language == 1 ? &TForm1::fantiClick
                                                  : &TForm1::EnlishClick;
        (Main().*click)();
        EXPECT_EQ(Main().China->isChecked(), language == 0);
        EXPECT_EQ(Main().fanti->isChecked(), language == 1);
        EXPECT_EQ(Main().Enlish->isChecked(), language == 2);
        for (const CaptionRow& row : CaptionTable) {
            const std::optional<QString> shown = CaptionOf(row);
            ASSERT_TRUE(shown.has_value()) << row.Target;
            EXPECT_EQ(*shown, QString::fromUtf8(row.Text[language]))
                << row.Target << " in language " << language;
        }
    }
}

// Until the window is shown (and when showing it stops at an unreadable chip database, before
// the language is applied) every window shows the captions of its window description.
TEST_F(LanguageTest, WindowDescriptionCaptionsHoldUntilTheLanguageIsApplied) {
    WriteSettings("[DEVICE]\nLANGU=2\n");
    CreateForms();
    for (const CaptionRow& row : CaptionTable) {
        const std::optional<QString> shown = CaptionOf(row);
        ASSERT_TRUE(shown.has_value()) << row.Target;
        EXPECT_EQ(*shown, QString::fromUtf8(row.Text[0]))
            << row.Target << " of form " << static_cast<int>(row.Form);
    }
    EXPECT_TRUE(Main().China->isChecked());
}

TEST_F(LanguageTest, TextsAsGiven) {
    WriteSettings("[DEVICE]\nLANGU=2\n");
    Start();
    EXPECT_EQ(Main().windowTitle(), "Halvex+ USB High Speed Programmer");
    EXPECT_EQ(Main().ToolFill->text(), "FIll");
    EXPECT_EQ(Form4->BitBtn2->text(), "Cance");
    EXPECT_EQ(Main().Enlish->text(), "Enlish");
    EXPECT_EQ(Form2->windowTitle(), "Chip Editor");
    EXPECT_EQ(Form3->windowTitle(), "Chip Select");
    Main().fantiClick();
    EXPECT_EQ(Main().China->text(), "中文简体");
    EXPECT_EQ(Main().fanti->text(), "中文繁體");
    EXPECT_EQ(Main().Enlish->text(), "Enlish");
    EXPECT_EQ(Panel(0), "狀態");
    EXPECT_EQ(Panel(2), "使用時間");
}

TEST_F(LanguageTest, StatusTextKeepsItsLanguageUntilTheNextProbe) {
    Start();
    EXPECT_EQ(Panel(1), "编程器未接入");
    EXPECT_TRUE(PanelOneIsRed());
    Main().EnlishClick();
    EXPECT_EQ(Panel(1), "编程器未接入");
    EXPECT_FALSE(PanelOneIsRed()) << "only the current language's text is red";
    Main().FormActivate();
    EXPECT_EQ(Panel(1), "Not connected");
    EXPECT_TRUE(PanelOneIsRed());
    Main().SetStatusText("Ready");
    EXPECT_FALSE(PanelOneIsRed());
}

TEST_F(LanguageTest, LanguageOutsideTheTablesChangesNothing) {
    Start();
    Main().EnlishClick();
    Main().State.Language = 3;
    Main().ApplyLanguage();
    EXPECT_TRUE(Main().Enlish->isChecked());
    EXPECT_EQ(Main().windowTitle(), "Halvex+ USB High Speed Programmer");
}

TEST_F(LanguageTest, ChoiceReturnsAfterARestart) {
    Start();
    Main().fantiClick();
    Main().close();
    DestroyForms();
    Start();
    EXPECT_EQ(Main().State.Language, 1);
    EXPECT_TRUE(Main().fanti->isChecked());
    EXPECT_EQ(Main().windowTitle(), "Halvex+ USB高速編程器");
}

} // namespace
