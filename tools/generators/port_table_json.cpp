// Writes the plugins' port table as JSON, for the test scripts, which cannot
// read the C++ table: one object per port, in port order.
//
// Usage: vorel-port-table OUTPUT
#include <cstdio>

#include "effect/port_table.h"

namespace {

using vorel::PortEntry;
using vorel::PortKind;

// A JSON string; the table's texts are printable ASCII.
void PrintString(std::FILE* out, const char* text) {
  std::fputc('"', out);
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '"' || *c == '\\') std::fputc('\\', out);
    std::fputc(*c, out);
  }
  std::fputc('"', out);
}

// Enough digits that the float reads back exactly.
void PrintNumber(std::FILE* out, float value) {
  std::fprintf(out, "%.9g", static_cast<double>(value));
}

const char* KindName(PortKind kind) {
  switch (kind) {
    case PortKind::ControlInput:
      return "control_input";
    case PortKind::AudioInput:
      return "audio_input";
    case PortKind::AudioOutput:
      return "audio_output";
  }
  return "";
}

const char* UnitName(vorel::PortUnit unit) {
  return unit == vorel::PortUnit::Coefficient ? "coefficient" : "none";
}

void PrintPort(std::FILE* out, unsigned long index, const PortEntry& port) {
  std::fprintf(out, "  {\"index\": %lu, \"name\": ", index);
  PrintString(out, port.Name);
  std::fputs(", \"symbol\": ", out);
  PrintString(out, port.Symbol);
  std::fprintf(out, ", \"kind\": \"%s\",\n   \"minimum\": ", KindName(port.Kind));
  PrintNumber(out, port.Minimum);
  std::fputs(", \"maximum\": ", out);
  PrintNumber(out, port.Maximum);
  std::fputs(", \"default\": ", out);
  PrintNumber(out, port.Default);
  std::fprintf(out,
               ", \"integer\": %s, \"toggled\": %s, \"logarithmic\": %s,\n   \"scale_points\": [",
               port.Integer ? "true" : "false", port.Toggled ? "true" : "false",
               port.Logarithmic ? "true" : "false");
  for (std::size_t i = 0; i < port.ScalePointCount; ++i) {
    std::fputs(i == 0 ? "{\"value\": " : ", {\"value\": ", out);
    PrintNumber(out, port.ScalePoints[i].Value);
    std::fputs(", \"label\": ", out);
    PrintString(out, port.ScalePoints[i].Label);
    std::fputc('}', out);
  }
  std::fprintf(out, "], \"unit\": \"%s\"}", UnitName(port.Unit));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::fputs("[\n", out);
  for (unsigned long port = 0; port < vorel::PortCount; ++port) {
    PrintPort(out, port, vorel::kPortTable[port]);
    std::fputs(port + 1 < vorel::PortCount ? ",\n" : "\n", out);
  }
  std::fputs("]\n", out);
  return std::fclose(out) == 0 ? 0 : 1;
}
