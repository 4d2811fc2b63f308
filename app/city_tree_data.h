#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace varnelo {

// One province item of the city picker's tree and the texts of its city items,
// each a CityLine ("芜湖|340200").
struct ProvinceCities {
  QString province;
  QStringList cities;
};

// The fixed tree of the city picker, in tree order: 28 provinces, 346 cities.
const std::vector<ProvinceCities>& CityTreeData();

}  // namespace varnelo
