// maths-bits: the bits this build's maths and number printing give for the
// cases that decide what the plugin chooses and what the program prints,
// against maths_bits.expected, which the native build wrote.
//
// The WebAssembly build takes sin, cos and acos from musl, the native one
// from its C runtime. Both are near correctly rounded, which nothing
// guarantees to give the same bits; the score, the projection and every
// digit of the transcript rest on them. So both builds run this program (the
// native one in its tests, the WebAssembly one under node in the browser
// stage) against the same expected digests.
//
//   maths-bits EXPECTED   compares; exit status 1 when a digest differs
//   maths-bits            prints the digests, the format of EXPECTED

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include "CarScore.h"
#include "Facing.h"
#include "files/Text.h"
#include "simhost/Projection.h"

namespace {

// A fixed sequence (SplitMix64), so that both builds draw the same cases;
// numbers are made from its bits with float arithmetic alone, which every
// build rounds alike.
class Cases {
 public:
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  float Between(float low, float high) {
    return low + (high - low) * static_cast<float>(Next() % 1048576) / 1048576.0f;
  }
  std::int32_t Units() { return static_cast<std::int32_t>(Next() % 65536) - 32768; }
  Vector Location(float half) {
    return Vector{Between(-half, half), Between(-half, half), Between(0.0f, 2000.0f)};
  }

 private:
  std::uint64_t state_ = 20;
};

// FNV-1a over the bytes of every result.
class Digest {
 public:
  template <typename Value>
  void Add(const Value& value) {
    unsigned char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    for (const unsigned char byte : bytes) Mix(byte);
  }
  void Add(const std::string& text) {
    for (const char c : text) Mix(static_cast<unsigned char>(c));
  }
  std::uint64_t value() const { return hash_; }

 private:
  void Mix(unsigned char byte) { hash_ = (hash_ ^ byte) * 0x100000001b3ULL; }
  std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

// Every pitch and yaw a rotator can hold: sine and cosine rounded to
// floats, as the score takes them. The doubles themselves differ: musl's
// and glibc's differ in the last bit for about one angle in twenty (3,190
// of them). Rounded to a float, no difference is left; the projection,
// which works on the doubles, is checked below.
void Facings(Digest& digest) {
  for (std::int32_t units = -32768; units < 32768; ++units) {
    const Facing facing = FacingOf(Rotator{units, units, 0});
    for (const double value : {facing.sinPitch, facing.cosPitch, facing.sinYaw, facing.cosYaw}) {
      digest.Add(static_cast<float>(value));
    }
  }
}

void Scores(Digest& digest, int count) {
  Cases cases;
  for (int i = 0; i < count; ++i) {
    const Vector ball = cases.Location(6000.0f);
    const Vector car = cases.Location(6000.0f);
    const Rotator rotation{cases.Units(), cases.Units(), cases.Units()};
    const vantorel::CarScore score = vantorel::ScoreCar(ball, car, rotation, cases.Between(0, 1));
    digest.Add(score);
    // The console's score line, one case in twenty: the printing too.
    if (i % 20 == 0) digest.Add(vantorel::ScoreLine(score));
  }
}

void Projections(Digest& digest, int count) {
  Cases cases;
  for (int i = 0; i < count; ++i) {
    simhost::SimCamera camera;
    camera.location = cases.Location(6000.0f);
    camera.rotation = Rotator{cases.Units(), cases.Units(), cases.Units()};
    camera.fieldOfView = cases.Between(10.0f, 170.0f);
    const Vector point = cases.Location(6000.0f);
    digest.Add(simhost::ProjectThroughCamera(camera, Vector2{1920, 1080}, point));
  }
}

// The program's own number printing (%.9g of a float).
void Printing(Digest& digest, int count) {
  Cases cases;
  for (int i = 0; i < count; ++i) {
    float value;
    const auto bits = static_cast<std::uint32_t>(cases.Next());
    std::memcpy(&value, &bits, sizeof value);
    digest.Add(files::FormatFloat(value));
  }
}

struct Check {
  const char* name;
  int count;
  std::function<void(Digest&, int)> run;
};

const Check kChecks[] = {
    {"facing", 65536, [](Digest& d, int) { Facings(d); }},
    {"score", 1000000, Scores},
    {"projection", 1000000, Projections},
    {"printing", 200000, Printing},
};

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> expected;
  if (argc > 1) {
    std::ifstream file(argv[1]);
    if (!file) {
      std::cerr << "maths-bits: cannot read " << argv[1] << "\n";
      return 1;
    }
    std::string name, count, bits;
    while (file >> name >> count >> bits) expected[name] = count + " " + bits;
  }
  int failures = 0;
  for (const Check& check : kChecks) {
    Digest digest;
    check.run(digest, check.count);
    char bits[17];
    std::snprintf(bits, sizeof bits, "%016llx", static_cast<unsigned long long>(digest.value()));
    const std::string got = std::to_string(check.count) + " " + bits;
    std::cout << check.name << " " << got;
    if (argc > 1 && expected[check.name] != got) {
      std::cout << "  DIFFERS: expected " << expected[check.name];
      ++failures;
    }
    std::cout << "\n";
  }
  return failures == 0 ? 0 : 1;
}
