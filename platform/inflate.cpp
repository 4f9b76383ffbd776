// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/inflate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace huesift {
namespace {

// A decoding table entry: bits 0-7 the bits its code takes, 8-11 its extra bits (a subtable
// link: the subtable's index bits), 12-15 its kind, 16-31 its value (a literal byte, the base
// of a length or distance, a subtable's first entry).
enum Kind : std::uint32_t { kLiteral, kBase, kEndOfBlock, kSubtable, kInvalid };

constexpr std::uint32_t MakeEntry(Kind kind, std::uint32_t value, std::uint32_t extra = 0,
                                  std::uint32_t bits = 0) {
  return value << 16 | std::uint32_t{kind} << 12 | extra << 8 | bits;
}
constexpr unsigned BitsOf(std::uint32_t e) {
  return e & 0xFF;
}
constexpr unsigned ExtraOf(std::uint32_t e) {
  return (e >> 8) & 0xF;
}
constexpr Kind KindOf(std::uint32_t e) {
  return static_cast<Kind>((e >> 12) & 0xF);
}
constexpr unsigned ValueOf(std::uint32_t e) {
  return e >> 16;
}

constexpr int kLitLenSymbols = 288;
constexpr int kDistanceSymbols = 32;
constexpr int kLitLenRootBits = 10;
constexpr int kDistanceRootBits = 8;
constexpr int kCodeLengthRootBits = 7;
// Room for the root table and every subtable of any complete code (zlib's worst cases for
// these root sizes are 1,332 and 402 entries); the builder checks it all the same.
constexpr int kLitLenTableSize = 2048;
constexpr int kDistanceTableSize = 1024;

constexpr std::array<std::uint32_t, kLitLenSymbols> LitLenEntries() {
  constexpr std::uint16_t kLengthBase[] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                           15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                           67, 83, 99, 115, 131, 163, 195, 227, 258};
  constexpr std::uint8_t kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  std::array<std::uint32_t, kLitLenSymbols> entries{};
  for (int s = 0; s < kLitLenSymbols; ++s) {
    if (s < 256)
      entries[s] = MakeEntry(kLiteral, s);
    else if (s == 256)
      entries[s] = MakeEntry(kEndOfBlock, 0);
    else if (s < 286)
      entries[s] = MakeEntry(kBase, kLengthBase[s - 257], kLengthExtra[s - 257]);
    else
      entries[s] = MakeEntry(kInvalid, 0);
  }
  return entries;
}

constexpr std::array<std::uint32_t, kDistanceSymbols> DistanceEntries() {
  constexpr std::uint16_t kDistanceBase[] = {
      1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
      193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  std::array<std::uint32_t, kDistanceSymbols> entries{};
  for (int s = 0; s < kDistanceSymbols; ++s)
    entries[s] =
        s < 30 ? MakeEntry(kBase, kDistanceBase[s], s < 4 ? 0 : s / 2 - 1) : MakeEntry(kInvalid, 0);
  return entries;
}

constexpr std::array<std::uint32_t, 19> CodeLengthEntries() {
  std::array<std::uint32_t, 19> entries{};
  for (int s = 0; s < 19; ++s) entries[s] = MakeEntry(kLiteral, s);
  return entries;
}

constexpr auto kLitLenEntries = LitLenEntries();
constexpr auto kDistanceEntries = DistanceEntries();
constexpr auto kCodeLengthEntries = CodeLengthEntries();

std::uint32_t Reversed(std::uint32_t code, int length) {
  std::uint32_t r = 0;
  for (int i = 0; i < length; ++i, code >>= 1) r = r << 1 | (code & 1);
  return r;
}

// Fills table (rootBits wide, subtables after it) for the canonical Huffman code with the
// given code lengths. Declines over-subscribed and incomplete codes; an all-unused code is
// taken when mayBeEmpty (a block without matches may say no distance at all) and gives a
// table any use of which is an error.
bool BuildTable(const std::uint8_t* lengths, int symbols, const std::uint32_t* symbolEntries,
                int rootBits, std::uint32_t* table, int tableSize, bool mayBeEmpty) {
  if (symbols > kLitLenSymbols) return false;
  std::array<int, 16> count{};
  for (int s = 0; s < symbols; ++s) {
    if (lengths[s] > 15) return false;
    ++count[lengths[s]];
  }
  count[0] = 0;
  int longest = 15;
  while (longest > 0 && count[longest] == 0) --longest;
  const int rootSize = 1 << rootBits;
  if (longest == 0) {
    std::fill(table, table + rootSize, MakeEntry(kInvalid, 0));
    return mayBeEmpty;
  }
  int left = 1;
  for (int length = 1; length <= 15; ++length) {
    left = (left << 1) - count[length];
    if (left < 0) return false;
  }
  if (left != 0) return false;

  // The symbols that have a code, ordered by code length and then by symbol: their canonical
  // codes count up in that order.
  int coded = 0;
  for (int length = 1; length <= 15; ++length) coded += count[length];
  std::array<int, 16> offset{};
  for (int length = 1; length < 15; ++length) offset[length + 1] = offset[length] + count[length];
  std::array<std::uint16_t, kLitLenSymbols> sorted{};
  for (int s = 0; s < symbols; ++s) {
    if (lengths[s] == 0) continue;
    const int at = offset[lengths[s]]++;
    if (at >= coded) return false;
    sorted[static_cast<std::size_t>(at)] = static_cast<std::uint16_t>(s);
  }
  std::array<std::uint32_t, 16> nextCode{};
  for (std::uint32_t code = 0, length = 1; length <= 15; ++length) {
    code = (code + count[length - 1]) << 1;
    nextCode[length] = code;
  }

  std::array<int, 16> remaining = count;
  int used = rootSize;
  std::uint32_t subPrefix = ~0u;
  int subStart = 0;
  int subBits = 0;
  for (int i = 0; i < coded; ++i) {
    const int symbol = sorted[i];
    const int length = lengths[symbol];
    const std::uint32_t reversed = Reversed(nextCode[length]++, length);
    if (length <= rootBits) {
      const std::uint32_t entry = symbolEntries[symbol] | static_cast<std::uint32_t>(length);
      for (std::uint32_t j = reversed; j < static_cast<std::uint32_t>(rootSize); j += 1u << length)
        table[j] = entry;
    } else {
      // Codes longer than the root share a root prefix in runs; each run gets a subtable
      // just wide enough for the longest code in it.
      const std::uint32_t prefix = reversed & static_cast<std::uint32_t>(rootSize - 1);
      if (prefix != subPrefix) {
        subBits = length - rootBits;
        int space = 1 << subBits;
        while (subBits + rootBits < longest) {
          space -= remaining[subBits + rootBits];
          if (space <= 0) break;
          ++subBits;
          space <<= 1;
        }
        if (used + (1 << subBits) > tableSize) return false;
        subStart = used;
        used += 1 << subBits;
        subPrefix = prefix;
        table[prefix] =
            MakeEntry(kSubtable, static_cast<std::uint32_t>(subStart),
                      static_cast<std::uint32_t>(subBits), static_cast<std::uint32_t>(rootBits));
      }
      // The entry takes the whole code, root bits included.
      const int tail = length - rootBits;
      const std::uint32_t entry = symbolEntries[symbol] | static_cast<std::uint32_t>(length);
      for (std::uint32_t j = reversed >> rootBits; j < (1u << subBits); j += 1u << tail)
        table[subStart + j] = entry;
    }
    --remaining[length];
  }
  return true;
}

struct FixedTables {
  std::array<std::uint32_t, kLitLenTableSize> litLen{};
  std::array<std::uint32_t, kDistanceTableSize> distance{};
  FixedTables() {
    std::array<std::uint8_t, kLitLenSymbols> lengths{};
    std::fill(lengths.begin(), lengths.begin() + 144, 8);
    std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
    std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
    std::fill(lengths.begin() + 280, lengths.end(), 8);
    BuildTable(lengths.data(), kLitLenSymbols, kLitLenEntries.data(), kLitLenRootBits,
               litLen.data(), kLitLenTableSize, false);
    lengths.fill(5);
    BuildTable(lengths.data(), kDistanceSymbols, kDistanceEntries.data(), kDistanceRootBits,
               distance.data(), kDistanceTableSize, false);
  }
};

constexpr std::uint32_t kAdlerModulus = 65521;
// The most bytes after which the sums must be reduced before they could overflow 32 bits.
constexpr std::size_t kAdlerRun = 5552;

// Adds n bytes to the running sums a and b of an Adler-32 check.
void AddToAdler32(std::uint32_t& a, std::uint32_t& b, const std::uint8_t* p, std::size_t n) {
#if defined(__SSE2__)
  // Sixteen bytes a step in vector lanes. Byte i of a step adds 16 - i times itself to b, and
  // every step adds 16 times the a it started with: the sum of the bytes before it, kept in
  // prefix.
  const __m128i zero = _mm_setzero_si128();
  const __m128i firstWeights = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
  const __m128i lastWeights = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
  const auto total = [](__m128i v) {
    v = _mm_add_epi32(v, _mm_srli_si128(v, 8));
    v = _mm_add_epi32(v, _mm_srli_si128(v, 4));
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_cvtsi128_si32(v)));
  };
  while (n >= 16) {
    const std::size_t steps = std::min(n, kAdlerRun) / 16;
    n -= steps * 16;
    __m128i sums = zero;
    __m128i prefix = zero;
    __m128i weighted = zero;
    for (std::size_t i = 0; i < steps; ++i, p += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      prefix = _mm_add_epi32(prefix, sums);
      sums = _mm_add_epi32(sums, _mm_sad_epu8(bytes, zero));
      weighted =
          _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), firstWeights));
      weighted =
          _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), lastWeights));
    }
    const std::uint64_t newB = b + 16 * (steps * a + total(prefix)) + total(weighted);
    a = static_cast<std::uint32_t>((a + total(sums)) % kAdlerModulus);
    b = static_cast<std::uint32_t>(newB % kAdlerModulus);
  }
#endif
  while (n > 0) {
    std::size_t run = std::min(n, kAdlerRun);
    n -= run;
    for (; run > 0; --run) {
      a += *p++;
      b += a;
    }
    a %= kAdlerModulus;
    b %= kAdlerModulus;
  }
}

}  // namespace

class ZlibInflater::Inflater {
 public:
  Inflater(std::span<const std::uint8_t> in, std::span<std::uint8_t> out)
      : in_(in.data()),
        inNext_(in.data()),
        inEnd_(in.data() + in.size()),
        outStart_(out.data()),
        out_(out.data()),
        outEnd_(out.data() + out.size()),
        checked_(out.data()) {
    if (inEnd_ - in_ < 6) {
      sound_ = false;
      return;
    }
    const unsigned method = in_[0];
    const unsigned flags = in_[1];
    sound_ = (method & 15) == 8 && (method >> 4) <= 7 && (method << 8 | flags) % 31 == 0 &&
             (flags & 0x20) == 0;
    window_ = std::size_t{1} << ((method >> 4) + 8);
    inNext_ = in_ + 2;
  }

  std::size_t produced() const { return static_cast<std::size_t>(out_ - outStart_); }
  std::size_t window() const { return window_; }
  bool finished() const { return finished_; }

  bool inflateAtLeast(std::size_t bytes) {
    const auto size = static_cast<std::size_t>(outEnd_ - outStart_);
    // A pause is only ever between two codes; asked for everything, the stream is read on to
    // its end-of-block code and its check.
    const std::uint8_t* pauseAt = bytes >= size ? nullptr : outStart_ + bytes;
    while (sound_ && !finished_ && (!pauseAt || out_ < pauseAt)) {
      if (inBlock_) {
        sound_ = codes(pauseAt);
      } else if (last_) {
        sound_ = finished_ = finish();
      } else {
        refill();
        last_ = (bits_ & 1) != 0;
        const unsigned type = (bits_ >> 1) & 3;
        drop(3);
        if (type == 0) {
          sound_ = stored();
        } else if (type == 1) {
          static const FixedTables fixed;
          litLen_ = fixed.litLen.data();
          distance_ = fixed.distance.data();
          inBlock_ = true;
        } else {
          sound_ = type == 2 && dynamicTables();
          inBlock_ = true;
        }
      }
      if (padded_ > 8) sound_ = false;
    }
    checkProduced();
    return sound_;
  }

 private:
  // At least 56 bits in hand afterwards. Past the end of the input zeros come in, counted,
  // so that a stream that needed them is refused at its end.
  void refill() {
    if (inEnd_ - inNext_ >= 8) {
      std::uint64_t word;
      std::memcpy(&word, inNext_, 8);
      if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
      bits_ |= word << count_;
      inNext_ += (63 - count_) >> 3;
      count_ |= 56;
    } else {
      while (count_ <= 55) {
        std::uint64_t byte = 0;
        if (inNext_ < inEnd_)
          byte = *inNext_++;
        else
          ++padded_;
        bits_ |= byte << count_;
        count_ += 8;
      }
    }
  }
  void drop(unsigned n) {
    bits_ >>= n;
    count_ -= n;
  }
  std::uint32_t take(unsigned n) {
    const auto value = static_cast<std::uint32_t>(bits_ & ((std::uint64_t{1} << n) - 1));
    drop(n);
    return value;
  }

  // Skips to the next byte boundary and returns where in the input that byte is: what the bit
  // buffer holds ahead (zeros past the end included) is given back.
  std::size_t alignToByte() {
    drop(count_ & 7);
    return static_cast<std::size_t>(inNext_ - in_) + padded_ - count_ / 8;
  }

  bool stored() {
    const std::size_t at = alignToByte();
    const auto size = static_cast<std::size_t>(inEnd_ - in_);
    if (at + 4 > size) return false;
    const std::size_t length = in_[at] | std::size_t{in_[at + 1]} << 8;
    const std::size_t complement = in_[at + 2] | std::size_t{in_[at + 3]} << 8;
    if ((length ^ complement) != 0xFFFF || length > size - at - 4 ||
        length > static_cast<std::size_t>(outEnd_ - out_))
      return false;
    std::memcpy(out_, in_ + at + 4, length);
    out_ += length;
    inNext_ = in_ + at + 4 + length;
    bits_ = 0;
    count_ = 0;
    padded_ = 0;
    return true;
  }

  bool dynamicTables() {
    refill();
    const unsigned litLens = take(5) + 257;
    const unsigned distances = take(5) + 1;
    const unsigned codeLengths = take(4) + 4;
    if (litLens > 286 || distances > 30) return false;
    constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                         11, 4,  12, 3, 13, 2, 14, 1, 15};
    std::array<std::uint8_t, 19> codeLengthLengths{};
    for (unsigned i = 0; i < codeLengths; ++i) {
      if (count_ < 3) refill();
      codeLengthLengths[kOrder[i]] = static_cast<std::uint8_t>(take(3));
    }
    std::array<std::uint32_t, 1 << kCodeLengthRootBits> codeLengthTable{};
    if (!BuildTable(codeLengthLengths.data(), 19, kCodeLengthEntries.data(), kCodeLengthRootBits,
                    codeLengthTable.data(), static_cast<int>(codeLengthTable.size()), false))
      return false;

    std::array<std::uint8_t, kLitLenSymbols + kDistanceSymbols> lengths{};
    const unsigned total = litLens + distances;
    for (unsigned n = 0; n < total;) {
      refill();
      const std::uint32_t entry = codeLengthTable[bits_ & ((1u << kCodeLengthRootBits) - 1)];
      drop(BitsOf(entry));
      const unsigned symbol = ValueOf(entry);
      if (symbol < 16) {
        lengths[n++] = static_cast<std::uint8_t>(symbol);
        continue;
      }
      std::uint8_t repeated = 0;
      unsigned times = 0;
      if (symbol == 16) {
        if (n == 0) return false;
        repeated = lengths[n - 1];
        times = 3 + take(2);
      } else if (symbol == 17) {
        times = 3 + take(3);
      } else {
        times = 11 + take(7);
      }
      if (n + times > total) return false;
      std::fill_n(lengths.begin() + n, times, repeated);
      n += times;
    }
    if (lengths[256] == 0) return false;
    if (!BuildTable(lengths.data(), static_cast<int>(litLens), kLitLenEntries.data(),
                    kLitLenRootBits, litLenTable_.data(), kLitLenTableSize, false) ||
        !BuildTable(lengths.data() + litLens, static_cast<int>(distances), kDistanceEntries.data(),
                    kDistanceRootBits, distanceTable_.data(), kDistanceTableSize, true))
      return false;
    litLen_ = litLenTable_.data();
    distance_ = distanceTable_.data();
    return true;
  }

  // After the last block: the Adler-32 check, byte-aligned, and then nothing; every byte of
  // the output written.
  bool finish() {
    const std::size_t at = alignToByte();
    if (at + 4 != static_cast<std::size_t>(inEnd_ - in_) || out_ != outEnd_) return false;
    checkProduced();
    const std::uint32_t check = std::uint32_t{in_[at]} << 24 | std::uint32_t{in_[at + 1]} << 16 |
                                std::uint32_t{in_[at + 2]} << 8 | in_[at + 3];
    return check == (adlerB_ << 16 | adlerA_);
  }

  // The check runs over what was produced since the last step, while it is still cached.
  void checkProduced() {
    AddToAdler32(adlerA_, adlerB_, checked_, static_cast<std::size_t>(out_ - checked_));
    checked_ = out_;
  }

  static std::uint32_t Lookup(const std::uint32_t* table, int rootBits, std::uint64_t bits) {
    std::uint32_t entry = table[bits & ((1u << rootBits) - 1)];
    if (KindOf(entry) == kSubtable)
      entry = table[ValueOf(entry) + ((bits >> rootBits) & ((1u << ExtraOf(entry)) - 1))];
    return entry;
  }

  // The current block's literals and matches, up to its end or until pauseAt is reached. A
  // refill gives enough bits for a whole length and distance pair: at most 15 + 5 + 15 + 13.
  bool codes(const std::uint8_t* pauseAt) {
    const std::uint32_t* litLen = litLen_;
    const std::uint32_t* distance = distance_;
    while (!pauseAt || out_ < pauseAt) {
      refill();
      const std::uint32_t entry = Lookup(litLen, kLitLenRootBits, bits_);
      drop(BitsOf(entry));
      const Kind kind = KindOf(entry);
      if (kind == kLiteral) {
        if (out_ == outEnd_) return false;
        *out_++ = static_cast<std::uint8_t>(ValueOf(entry));
        continue;
      }
      if (kind == kEndOfBlock) {
        inBlock_ = false;
        return true;
      }
      if (kind != kBase) return false;
      const std::size_t length = ValueOf(entry) + take(ExtraOf(entry));
      const std::uint32_t far = Lookup(distance, kDistanceRootBits, bits_);
      drop(BitsOf(far));
      if (KindOf(far) != kBase) return false;
      const std::size_t back = ValueOf(far) + take(ExtraOf(far));
      if (back > static_cast<std::size_t>(out_ - outStart_) || back > window_ ||
          length > static_cast<std::size_t>(outEnd_ - out_))
        return false;
      copyMatch(length, back);
    }
    return true;
  }

  // Whole words where there is room for one past the match's end, since most matches are
  // short; the bytes written beyond it are overwritten by what follows.
  void copyMatch(std::size_t length, std::size_t back) {
    std::uint8_t* to = out_;
    const std::uint8_t* from = out_ - back;
    std::uint8_t* const end = out_ + length;
    out_ = end;
    if (static_cast<std::size_t>(outEnd_ - to) < length + 8) {
      while (to < end) *to++ = *from++;
      return;
    }
    std::uint64_t word;
    if (back >= 8) {
      do {
        std::memcpy(&word, from, 8);
        std::memcpy(to, &word, 8);
        to += 8;
        from += 8;
      } while (to < end);
      return;
    }
    // A period shorter than a word (a run of one colour is 3 or 4 bytes): the pattern as a
    // word, stored a whole number of periods apart.
    std::uint8_t pattern[8];
    for (std::size_t i = 0; i < 8; ++i) pattern[i] = i < back ? from[i] : pattern[i - back];
    std::memcpy(&word, pattern, 8);
    // The most whole periods in a word (no division: these matches are a good share of all).
    constexpr std::uint8_t kWholePeriods[8] = {0, 8, 8, 6, 8, 5, 6, 7};
    const std::size_t step = kWholePeriods[back];
    do {
      std::memcpy(to, &word, 8);
      to += step;
    } while (to < end);
  }

  const std::uint8_t* in_;
  const std::uint8_t* inNext_;
  const std::uint8_t* inEnd_;
  std::uint8_t* outStart_;
  std::uint8_t* out_;
  std::uint8_t* outEnd_;
  const std::uint8_t* checked_;  // where the Adler-32 sums have got to
  std::size_t window_ = 0;
  std::uint64_t bits_ = 0;
  unsigned count_ = 0;
  unsigned padded_ = 0;
  bool sound_ = true;
  bool finished_ = false;
  bool last_ = false;     // the block begun last is the stream's last
  bool inBlock_ = false;  // within a block of codes, whose tables these are:
  const std::uint32_t* litLen_ = nullptr;
  const std::uint32_t* distance_ = nullptr;
  std::uint32_t adlerA_ = 1;
  std::uint32_t adlerB_ = 0;
  std::array<std::uint32_t, kLitLenTableSize> litLenTable_{};
  std::array<std::uint32_t, kDistanceTableSize> distanceTable_{};
};

ZlibInflater::ZlibInflater(std::span<const std::uint8_t> in, std::span<std::uint8_t> out)
    : inflater_(std::make_unique<Inflater>(in, out)) {}
ZlibInflater::~ZlibInflater() = default;
bool ZlibInflater::inflateAtLeast(std::size_t bytes) {
  return inflater_->inflateAtLeast(bytes);
}
std::size_t ZlibInflater::produced() const {
  return inflater_->produced();
}
std::size_t ZlibInflater::window() const {
  return inflater_->window();
}
bool ZlibInflater::finished() const {
  return inflater_->finished();
}

}  // namespace huesift
