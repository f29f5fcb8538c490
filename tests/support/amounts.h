#pragma once

#include "common/currency.h"

#include <QString>

// An amount written in a test as the operator would type it ("12500", "250.5").
inline Currency c(const char* text)
{
    return *Currency::parse(QString::fromLatin1(text));
}
