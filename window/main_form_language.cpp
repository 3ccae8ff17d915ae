// The language menu and the captions of the four windows.
#include "caption_table.h"
#include "chip_editor_form.h"
#include "chip_search_form.h"
#include "fill_form.h"
#include "forms.h"
#include "main_form.h"
#include "status_bar.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

namespace {

// The first object of that name that belongs to the form itself, not to a dialog it owns.
QObject* FindInForm(QWidget* form, const char* name) {
    for (QObject* object : form->findChildren<QObject*>(name)) {
        QObject* p = object->parent();
        while (p && p != form && !qobject_cast<QDialog*>(p)) p = p->parent();
        if (p == form) return object;
    }
    return nullptr;
}

// Sets a row's caption in a window: the window's own caption for an empty target, the text
// of status panel 0 or 2 for "StatusBar1#0" and "StatusBar1#2", else a control's caption.
void SetCaption(QWidget* form, const CaptionRow& row, const QString& text) {
    if (!form) return;
    const std::string target = row.Target;
    if (target.empty()) {
        form->setWindowTitle(text);
        return;
    }
    if (target.rfind("StatusBar1#", 0) == 0) {
        if (auto* bar = qobject_cast<TStatusBar*>(FindInForm(form, "StatusBar1")))
            bar->SetPanelText(target.back() - '0', text);
        return;
    }
    QObject* object = FindInForm(form, row.Target);
    if (auto* menu = qobject_cast<QMenu*>(object))
        menu->setTitle(text);
    else if (auto* action = qobject_cast<QAction*>(object))
        action->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(object))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(object))
        label->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(object))
        group->setTitle(text);
}

} // namespace

void SetDesignCaptions(QWidget* form, CaptionForm which) {
    for (const CaptionRow& row : CaptionTable)
        if (row.Form == which) SetCaption(form, row, QString::fromUtf8(row.Text[0]));
}

void TForm1::ApplyLanguage() {
    const int32_t language = State.Language;
    if (language < 0 || language > 2) return;
    // The menu's check marks follow the language, whoever chose it.
    Enlish->setChecked(language == 2);
    China->setChecked(language == 0);
    fanti->setChecked(language == 1);
    for (const CaptionRow& row : CaptionTable)
        SetCaption(CaptionWindow(row.Form), row, QString::fromUtf8(row.Text[language]));
}

QWidget* TForm1::CaptionWindow(CaptionForm which) {
    switch (which) {
    case CaptionForm::TForm1:
        return this;
    case CaptionForm::TForm2:
        return Form2;
    case CaptionForm::TForm3:
        return Form3;
    case CaptionForm::TForm4:
        return Form4;
    }
    return nullptr;
}

void TForm1::ChinaClick() {
    State.Language = 0;
    ApplyLanguage();
}

void TForm1::fantiClick() {
    State.Language = 1;
    ApplyLanguage();
}

void TForm1::EnlishClick() {
    State.Language = 2;
    ApplyLanguage();
}
