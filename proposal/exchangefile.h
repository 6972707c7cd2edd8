#pragma once
// The proposal exchange file, both directions: its record layout with the text fills and number
// forms (recordlayout.h), the reader (exchangereader.h) and the writer (exchangewriter.h).
// All texts are CP1252 bytes.
#include "proposal/exchangereader.h"
#include "proposal/exchangewriter.h"
#include "proposal/recordlayout.h"
