#pragma once
// Pieces of the additional-tariff check that are worth reaching from outside the check itself.
#include <string>
#include <vector>

namespace zz {

class TWorkPeriod;

// Some code of ctAddTariff occurs in the period's delimited codes (an empty entry never does).
bool HasAddTariffBase(const TWorkPeriod& period);

// The items joined by ";"; an item with a blank, a control character, a quote or a ";" is written
// in double quotes with inner quotes doubled ("Без класса УТ" is therefore always quoted).
std::string SemicolonText(const std::vector<std::string>& items);

}  // namespace zz
