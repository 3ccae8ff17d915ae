#include "forms.h"

#include "about_box.h"
#include "chip_editor_form.h"
#include "chip_search_form.h"
#include "fill_form.h"
#include "main_form.h"

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;
TForm4* Form4 = nullptr;
TAboutBox* AboutBox = nullptr;

void CreateForms() {
    Form1 = new TForm1();
    Form2 = new TForm2(Form1);
    Form3 = new TForm3(Form1);
    Form4 = new TForm4(*Form1);
    AboutBox = new TAboutBox(Form1);
}

void DestroyForms() {
    delete AboutBox;
    AboutBox = nullptr;
    delete Form4;
    Form4 = nullptr;
    delete Form3;
    Form3 = nullptr;
    delete Form2;
    Form2 = nullptr;
    delete Form1;
    Form1 = nullptr;
}
