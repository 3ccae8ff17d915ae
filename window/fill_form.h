#pragma once
// TForm4, the fill dialog: a constant byte, a constant 16-bit word or random bytes over an
// address range of the image buffer. Its fields keep their values between uses.
#include "streams.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TForm1;

class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(TForm1& mainForm);

    QGroupBox *GroupBox1, *GroupBox2;
    QRadioButton *RadioButton1, *RadioButton2, *RadioButton3;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4;
    QLabel *Label1, *Label2;
    QWidget* Panel1;
    QPushButton *BitBtn1, *BitBtn2;
    // Carries the filled buffer to the hex view.
    TMemoryStream FillStream;

    void BitBtn1Click();
    void BitBtn2Click();
    // The key filter of the four edits: true when the typed character may reach the edit.
    static bool Edit1KeyPress(char key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TForm1& main_;
};
