#pragma once
// TForm2, the chip database editor: a 13-column grid over the main window's chip table,
// reloaded from the chip database file whenever the dialog is shown; edit controls turn a
// row into editable values and back; Save converts every row, then writes the file and the
// table and rebuilds the main window's chip lists.
#include <QDialog>
#include <cstddef>
#include <cstdint>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TChipEditorGrid;
struct EditorControls;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent);

    TChipEditorGrid* StringGrid1;
    QGroupBox* GroupBox1;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9,
        *Label10, *Label11, *Label12, *Label13;
    // Kind, manufacturer, model; family, size, page, voltage, algorithm; chip ID, EEPROM
    // size, EEPROM page, association.
    QComboBox *ComboBox1, *ComboBox2, *ComboBox3, *ComboBox4, *ComboBox5, *ComboBox6, *ComboBox7,
        *ComboBox8, *ComboBox9, *ComboBox10, *ComboBox11, *ComboBox12;
    QLineEdit* Edit1; // delay
    QWidget* Panel1;
    QPushButton *BtnDelete, *BtnAdd, *BtnEdit, *BtnSave, *BtnExit;
    // The row of the grid cell selected last; 0 until a cell has been selected.
    int32_t SelectedRow = 0;

    void FormShow();
    void StringGrid1SelectCell(int32_t column, int32_t row);
    void StringGrid1DblClick();
    void ComboBox4Change();
    void BtnDeleteClick();
    void BtnAddClick();
    void BtnEditClick();
    void BtnSaveClick();
    void BtnExitClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // True when the file is missing or was loaded, false when it was refused as damaged.
    bool ReloadChipTable();
    // Replaces the named file with the first length bytes of buffer, atomically.
    static void WriteBufferToFile(const std::string& fileName, const uint8_t* buffer,
                                  size_t length);
    EditorControls ReadControls() const;
    void CreateControls();
};
