#pragma once
// The program's five windows, created in this order at start and kept for the whole run.
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TAboutBox;

extern TForm1* Form1;
extern TForm2* Form2;
extern TForm3* Form3;
extern TForm4* Form4;
extern TAboutBox* AboutBox;

// Creates the five windows in the order main window, chip database editor, chip search,
// fill dialog, About box; the main window reads its settings while it is created.
void CreateForms();
// Destroys them in the opposite order.
void DestroyForms();
