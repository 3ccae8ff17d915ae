#pragma once
// TForm3, the chip search dialog: lists every chip when shown, the chips whose stored name
// holds the search text as it changes, and selects the chosen one in the main window's
// three chip lists.
#include <QDialog>
#include <cstdint>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
struct ChipRecord;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent);

    QLabel* Label1;
    QComboBox* ComboBox1; // the search text
    QTreeWidget* ListView1;
    QPushButton *BitBtn1, *BitBtn2; // Select, Exit

    void FormShow();
    void ComboBox1Change();
    void ListView1Change();
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Removes the list's columns and entries and adds the four columns again.
    void ResetList();
    void AppendEntry(const ChipRecord& record, int32_t index);
};
