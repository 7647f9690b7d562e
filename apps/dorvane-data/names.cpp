// Name generation from word lists. Company names pair a place or family name
// with a trade; job names pair a site with a piece of work; list names are
// phrases a scheduler would use. Widths hold by construction of the lists (the
// longest site, work and phase suffix together make 50 characters) and are
// checked with asserts.
#include "names.h"

#include <array>
#include <cassert>
#include <numeric>
#include <string_view>

namespace dorvanedata {
namespace {

constexpr std::array<std::string_view, 28> kCompanyFirst = {
    "Harbor",     "Northgate", "Keller",      "Bluestone", "Redwood",    "Summit",    "Lakeside",
    "Ironwood",   "Prairie",   "Cedar Ridge", "Atlas",     "Granite",    "Riverside", "Whitfield",
    "Pioneer",    "Hollister", "Eastbrook",   "Copperton", "Maple Hill", "Stanton",   "Westmark",
    "Greenfield", "Oakridge",  "Sterling",    "Brandt",    "Delgado",    "Fairview",  "Coastal"};

constexpr std::array<std::string_view, 16> kCompanyTrade = {
    "Paving",         "Builders",   "Concrete",           "Construction Co.",
    "Excavating",     "Electric",   "Plumbing & Heating", "Roofing",
    "Steel Erectors", "Site Works", "Mechanical",         "Bridge & Iron",
    "Contractors",    "Masonry",    "Utilities",          "Earthworks"};

constexpr std::array<std::string_view, 24> kStreets = {
    "Elm Street",       "Oak Avenue",    "Main Street",    "Route 9",           "Harbor Road",
    "Mill Lane",        "Park Drive",    "Canal Street",   "Bay Road",          "Summit Avenue",
    "Station Road",     "River Road",    "Pine Street",    "Church Street",     "Market Street",
    "Lake Shore Drive", "Bridge Street", "County Road 12", "Highland Avenue",   "Quarry Road",
    "Depot Street",     "Ferry Lane",    "Airport Road",   "Industrial Parkway"};

constexpr std::array<std::string_view, 14> kSites = {
    "Lincoln School", "City Hall", "Memorial Hospital", "Library",        "Water Plant",
    "Parking Garage", "Clinic",    "Community Center",  "Police Station", "Courthouse",
    "Transit Center", "Stadium",   "Senior Center",     "Dormitory"};

// Sites that come in numbers ("Pier 4").
constexpr std::array<std::string_view, 8> kNumberedSites = {
    "Pier", "Fire Station", "Pump Station", "Warehouse", "Terminal", "Building", "Lot", "Gate"};

constexpr std::array<std::string_view, 30> kWorks = {
    "resurfacing",        "water main replacement", "roof repairs",
    "bridge deck repair", "sidewalk replacement",   "storm drain upgrade",
    "parking lot paving", "curb and gutter",        "HVAC replacement",
    "foundation work",    "site grading",           "sewer lining",
    "electrical upgrade", "window replacement",     "structural steel",
    "demolition",         "retaining wall",         "lighting retrofit",
    "boiler replacement", "fire alarm upgrade",     "masonry restoration",
    "ADA ramps",          "traffic signals",        "interior renovation",
    "new addition",       "guardrail installation", "utility relocation",
    "pavement markings",  "elevator modernization", "tank painting"};

constexpr std::array<std::string_view, 16> kListPhrases = {
    "Weekly review",       "Month-end billing",   "Open paving jobs",     "Bridge work",
    "Road crew A",         "Road crew B",         "Winter shutdown",      "Spring start-ups",
    "Retainage follow-up", "Municipal contracts", "School district jobs", "Change orders pending",
    "Payroll check",       "Equipment charges",   "Closeout list",        "Estimators' picks"};

// Returns one entry of a word list, chosen at random.
template <size_t N>
std::string_view Pick(Random& random, const std::array<std::string_view, N>& words) {
  return words[random.Below(N)];
}

}  // namespace

std::vector<std::string> CompanyNames(Random& random, int count) {
  constexpr size_t kPairs = kCompanyFirst.size() * kCompanyTrade.size();
  assert(count >= 0 && static_cast<size_t>(count) <= kPairs);
  // Shuffle the pairs (Fisher-Yates) and take the first count: all different.
  std::vector<size_t> pairs(kPairs);
  std::iota(pairs.begin(), pairs.end(), 0);
  for (size_t i = kPairs - 1; i > 0; --i) std::swap(pairs[i], pairs[random.Below(i + 1)]);

  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    const size_t pair = pairs[static_cast<size_t>(i)];
    std::string name(kCompanyFirst[pair / kCompanyTrade.size()]);
    name += ' ';
    name += kCompanyTrade[pair % kCompanyTrade.size()];
    assert(name.size() <= kCompanyNameWidth);
    names.push_back(std::move(name));
  }
  return names;
}

std::string JobName(Random& random) {
  std::string name;
  switch (random.Below(3)) {
    case 0:
      name = Pick(random, kStreets);
      break;
    case 1:
      name = Pick(random, kNumberedSites);
      name += ' ';
      name += std::to_string(random.Between(1, 40));
      break;
    default:
      name = Pick(random, kSites);
      break;
  }
  name += ' ';
  name += Pick(random, kWorks);
  if (random.Below(4) == 0) name += ", phase " + std::to_string(random.Between(2, 4));
  assert(name.size() <= kJobNameWidth);
  return name;
}

std::vector<std::string> ListNames(Random& random, int64_t count) {
  std::vector<size_t> order(kListPhrases.size());
  std::iota(order.begin(), order.end(), 0);
  for (size_t i = order.size() - 1; i > 0; --i) std::swap(order[i], order[random.Below(i + 1)]);

  // The phrases come first as they are, then again with a number: all different.
  std::vector<std::string> names;
  for (int64_t i = 0; i < count; ++i) {
    const auto round = static_cast<size_t>(i) / order.size();
    std::string name(kListPhrases[order[static_cast<size_t>(i) % order.size()]]);
    if (round > 0) name += " " + std::to_string(round + 1);
    assert(name.size() <= kListNameWidth);
    names.push_back(std::move(name));
  }
  return names;
}

}  // namespace dorvanedata
