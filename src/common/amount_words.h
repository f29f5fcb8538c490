#pragma once

#include "common/currency.h"

#include <QString>

// An amount as a cheque or a letter to the bank writes it, in lakhs and crores, to the paisa
// (rounded half to even, as every shown amount is): "Rupees One Lakh Twenty Thousand Three Hundred
// and Fifty and Paise Fifty Only". Zero is "Rupees Zero Only"; paise alone, "Paise Fifty Only"; a
// negative amount opens with "Minus". Crores beyond ninety-nine are counted in words themselves
// ("Rupees One Thousand Crore Only").
QString amountInWords(Currency amount);
