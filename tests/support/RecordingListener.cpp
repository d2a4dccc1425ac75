#include "RecordingListener.h"

#include <cstdio>

namespace vantorel_test {

simhost::DrawCall ColorCall(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                            std::uint8_t alpha) {
  simhost::DrawCall call;
  call.kind = simhost::DrawCall::Kind::kColor;
  call.color[0] = red;
  call.color[1] = green;
  call.color[2] = blue;
  call.color[3] = alpha;
  return call;
}

simhost::DrawCall LineCall(Vector2 start, Vector2 end, float width) {
  simhost::DrawCall call;
  call.kind = simhost::DrawCall::Kind::kLine;
  call.start = start;
  call.end = end;
  call.width = width;
  return call;
}

Lines Describe(const std::vector<simhost::DrawCall>& draws) {
  Lines text;
  for (const simhost::DrawCall& call : draws) {
    char line[128];
    if (call.kind == simhost::DrawCall::Kind::kColor) {
      std::snprintf(line, sizeof line, "color %d %d %d %d", call.color[0], call.color[1],
                    call.color[2], call.color[3]);
    } else {
      std::snprintf(line, sizeof line, "line %d,%d %d,%d %.9g", call.start.X, call.start.Y,
                    call.end.X, call.end.Y, static_cast<double>(call.width));
    }
    text.push_back(line);
  }
  return text;
}

}  // namespace vantorel_test
