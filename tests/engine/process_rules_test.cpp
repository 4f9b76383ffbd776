// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iomanip>
#include <ios>
#include <ostream>
#include <string>
#include <tuple>

#include "tests/engine/harness.h"

namespace huesift::test {
namespace {

constexpr Colour kBlue = 0xFF0000;
constexpr Colour kRed = 0x0000FF;
constexpr Colour kGreen = 0x00FF00;
constexpr Colour kTeal = 0xC0FFEE;

struct RuleCase {
  const char* name;
  ProcessPass pass;
  bool convert;
  Colour pen;
  std::vector<Colour> retained;
  std::vector<std::pair<Colour, Colour>> before_after;
};

void PrintColour(Colour c, std::ostream* os) {
  if (c == kNoColour) {
    *os << "empty";
    return;
  }
  const std::ios::fmtflags flags = os->flags();
  const char fill = os->fill();
  *os << "0x" << std::hex << std::uppercase << std::setfill('0') << std::setw(6)
      << static_cast<std::uint32_t>(c);
  os->flags(flags);
  os->fill(fill);
}

void PrintTo(const RuleCase& c, std::ostream* os) {
  const char* passes[] = {"white", "strip", "reverse"};
  *os << c.name << ": " << passes[static_cast<int>(c.pass)] << " pass, pen ";
  PrintColour(c.pen, os);
  *os << (c.convert ? ", converting" : "") << ", retained";
  for (const Colour r : c.retained) {
    *os << " ";
    PrintColour(r, os);
  }
}

// One-unit neighbours of black and white in each channel must never count as those colours.
const RuleCase kCases[] = {
    {"StripKeepsBlack",
     ProcessPass::Strip,
     false,
     kBlue,
     {kBlack},
     {{kBlack, kBlack},
      {kWhite, kWhite},
      {kTeal, kWhite},
      {0x000001, kWhite},
      {0x000100, kWhite},
      {0x010000, kWhite}}},
    {"StripConvertsRetained",
     ProcessPass::Strip,
     true,
     kBlue,
     {kBlack, kTeal},
     {{kBlack, kBlue}, {kTeal, kBlue}, {kWhite, kWhite}, {kTeal + 1, kWhite}, {kRed, kWhite}}},
    {"StripWhiteRetainedConverts",
     ProcessPass::Strip,
     true,
     kBlue,
     {kBlack, kWhite},
     {{kWhite, kBlue}, {kBlack, kBlue}, {0xFEFFFF, kWhite}, {0xFFFFFE, kWhite}, {kRed, kWhite}}},
    {"StripWhiteRetainedKept",
     ProcessPass::Strip,
     false,
     kBlue,
     {kWhite},
     {{kWhite, kWhite}, {kBlack, kWhite}, {0xFFFEFF, kWhite}}},
    {"StripPenIsWhite",
     ProcessPass::Strip,
     true,
     kWhite,
     {kRed},
     {{kRed, kWhite}, {kGreen, kWhite}, {kBlack, kWhite}}},
    {"ReverseWhitensRetained",
     ProcessPass::Reverse,
     false,
     kBlue,
     {kBlack},
     {{kBlack, kWhite},
      {kWhite, kWhite},
      {kTeal, kTeal},
      {0x000001, 0x000001},
      {0xFFFFFE, 0xFFFFFE}}},
    {"ReverseConvertsTheRest",
     ProcessPass::Reverse,
     true,
     kGreen,
     {kBlack, kRed},
     {{kBlack, kWhite},
      {kRed, kWhite},
      {kWhite, kWhite},
      {kTeal, kGreen},
      {kRed + 1, kGreen},
      {0xFEFFFF, kGreen}}},
    {"WhitePassIgnoresRetainedAndConvert",
     ProcessPass::White,
     true,
     kRed,
     {kBlack, kWhite},
     {{kWhite, kRed}, {kBlack, kBlack}, {kTeal, kTeal}, {0xFFFEFF, 0xFFFEFF}}},
    {"WhitePassWithoutConvert",
     ProcessPass::White,
     false,
     kBlue,
     {kBlack},
     {{kWhite, kBlue}, {kBlack, kBlack}, {kGreen, kGreen}}},
    // Table values that no pixel can have: empty slots, and values with bits above the
    // colour that would read as black once stored.
    {"StripNoPixelColourInTable",
     ProcessPass::Strip,
     true,
     kBlue,
     {kNoColour, 0x01000000, static_cast<Colour>(0xFF000000u), 0x7FFFFFFF},
     {{kBlack, kWhite}, {kWhite, kWhite}, {kTeal, kWhite}}},
    {"ReverseNoPixelColourInTable",
     ProcessPass::Reverse,
     false,
     kBlue,
     {0x01000000},
     {{kBlack, kBlack}, {kWhite, kWhite}, {kTeal, kTeal}}},
};

// Each case also runs with its table padded by unrelated colours to 8 and to 64 entries,
// which moves it onto the other table searches.
using RuleParam = std::tuple<RuleCase, Walker, int>;

void PrintTo(const RuleParam& p, std::ostream* os) {
  PrintTo(std::get<0>(p), os);
  *os << ", on " << WalkerName(std::get<1>(p));
  if (std::get<2>(p) > 0) *os << ", table padded to " << std::get<2>(p);
}

std::string PaddingName(int padTo) {
  return padTo > 0 ? "PaddedTo" + std::to_string(padTo) : "AsListed";
}

class PassRules : public ::testing::TestWithParam<RuleParam> {};

TEST_P(PassRules, EveryPixelFollowsItsRule) {
  const auto& [c, walker, padTo] = GetParam();
  if (!Runs(walker)) GTEST_SKIP() << WalkerName(walker) << " not on this CPU";
  std::vector<Colour> retained = c.retained;
  for (Colour filler = 0x0A0B0C; static_cast<int>(retained.size()) < padTo; filler += 0x030507) {
    const bool probe = std::any_of(c.before_after.begin(), c.before_after.end(),
                                   [&](const auto& p) { return p.first == filler; });
    if (!probe && filler != kWhite) retained.push_back(filler);
  }

  // Runs of one colour, colours alternating every pixel, and an odd width that leaves a tail.
  const int n = static_cast<int>(c.before_after.size());
  const auto pick = [&](int row, int x) {
    return row == 0 ? (x / 9) % n : row == 1 ? x % n : (x * 7 + 3) % n;
  };
  Harness h;
  h.first = Picture(43, 3);
  h.width = 43;
  h.convert = c.convert;
  h.pen = c.pen;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 43; ++x) h.first.setPixel(x, y, c.before_after[pick(y, x)].first);

  EXPECT_EQ(h.Run(walker, c.pass, 3, Table(retained)), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 43; ++x) {
      const auto& [before, after] = c.before_after[pick(y, x)];
      ASSERT_EQ(h.first.pixel(x, y), after)
          << "pixel " << std::hex << before << " at " << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PassRules,
                         ::testing::Combine(::testing::ValuesIn(kCases),
                                            ::testing::ValuesIn(kAllWalkers),
                                            ::testing::Values(0, 8, 64)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  WalkerName(std::get<1>(info.param)) + "_" +
                                  PaddingName(std::get<2>(info.param));
                         });

}  // namespace
}  // namespace huesift::test
