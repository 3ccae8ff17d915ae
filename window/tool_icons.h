#pragma once
// The tool bar's 32 x 32 images, drawn in code.
#include <QIcon>

enum class ToolIcon { Open, Save, Read, Erase, Write, Verify, Auto, Bank, Fill, Device, About };

QIcon MakeToolIcon(ToolIcon icon);
// A picture of a chip, for the About box.
QPixmap MakeChipPicture(int size);
