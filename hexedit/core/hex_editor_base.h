#pragma once
// What the control shares with the number and translation helpers.
#include "orix_hex_error.h"
#include "radix.h"
#include "translations.h"
