#pragma once
// The hex editor control raises every error of its own as EOrixHexEditor, with one of its
// English message texts.
#include "exceptions.h"

class EOrixHexEditor : public Exception {
public:
    using Exception::Exception;
};
