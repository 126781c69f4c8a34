// Writes the LV2 bundle's data files (manifest.ttl, vorel.ttl and
// presets.ttl) from the shared port table, the LV2 ports and the presets,
// so that the metadata cannot drift from the code. Runs on the build
// machine; the minor and micro versions come from the build. With the
// editor's binary named, the bundle declares the editor too.
//
// Usage: vorel-lv2-ttl BUNDLE_DIR BINARY_FILE_NAME [EDITOR_FILE_NAME]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "effect/port_table.h"
#include "effect/presets.h"
#include "effect/version.h"
#include "lv2/editor_ports.h"
#include "lv2/lv2_ports.h"

namespace {

using vorel::kPluginUri;

constexpr const char* kPrefixes =
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n\n";

// The shortest decimal that reads back as the same float, always with a
// decimal point, so that every number is a Turtle decimal; whole numbers
// in positional notation ("100.0", not "1e+02").
std::string Number(float value) {
  char text[48];
  if (value == std::trunc(value) && std::fabs(value) < 1e9f) {
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(value));
    return text;
  }
  for (int digits = 1; digits <= 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
    if (std::strtof(text, nullptr) == value) break;
  }
  std::string result = text;
  if (result.find_first_of(".en") == std::string::npos) result += ".0";
  return result;
}

// A Turtle string literal.
std::string Quoted(const char* text) {
  std::string result = "\"";
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '"' || *c == '\\') result += '\\';
    result += *c;
  }
  return result + "\"";
}

// A preset's URI: the plugin's, with the preset's name as the fragment.
std::string PresetUri(const vorel::Preset& preset) {
  return std::string("<") + kPluginUri + "#" + preset.Name + ">";
}

// Writes the property list of one port, without the brackets.
void WriteSharedPort(std::ostream& out, unsigned long index, const vorel::PortEntry& port) {
  switch (port.Kind) {
    case vorel::PortKind::ControlInput:
      out << "\t\ta lv2:InputPort , lv2:ControlPort ;\n";
      break;
    case vorel::PortKind::AudioInput:
      out << "\t\ta lv2:InputPort , lv2:AudioPort ;\n";
      break;
    case vorel::PortKind::AudioOutput:
      out << "\t\ta lv2:OutputPort , lv2:AudioPort ;\n";
      break;
  }
  out << "\t\tlv2:index " << index << " ;\n\t\tlv2:symbol " << Quoted(port.Symbol)
      << " ;\n\t\tlv2:name " << Quoted(port.Name);
  if (port.Kind != vorel::PortKind::ControlInput) return;
  out << " ;\n\t\tlv2:default " << Number(port.Default) << " ;\n\t\tlv2:minimum "
      << Number(port.Minimum) << " ;\n\t\tlv2:maximum " << Number(port.Maximum);
  std::string properties;
  if (port.Integer) properties += ", lv2:integer ";
  if (port.ScalePoints != nullptr) properties += ", lv2:enumeration ";
  if (port.Toggled) properties += ", lv2:toggled ";
  if (!properties.empty())
    out << " ;\n\t\tlv2:portProperty " << properties.substr(2, properties.size() - 3);
  if (port.Unit == vorel::PortUnit::Coefficient) out << " ;\n\t\tunits:unit units:coef";
  if (port.Unit == vorel::PortUnit::Percent) out << " ;\n\t\tunits:unit units:pc";
  for (std::size_t i = 0; i < port.ScalePointCount; ++i) {
    out << " ;\n\t\tlv2:scalePoint [ rdfs:label " << Quoted(port.ScalePoints[i].Label)
        << " ; rdf:value " << Number(port.ScalePoints[i].Value) << " ]";
  }
}

// The same for one of the LV2-only ports that carry a designation.
void WriteDesignatedPort(std::ostream& out, unsigned long index,
                         const vorel::DesignatedPort& port) {
  out << "\t\ta " << (port.Output ? "lv2:OutputPort" : "lv2:InputPort") << " , lv2:ControlPort ;\n"
      << "\t\tlv2:index " << index << " ;\n\t\tlv2:symbol " << Quoted(port.Symbol)
      << " ;\n\t\tlv2:name " << Quoted(port.Name)
      << " ;\n\t\tlv2:designation lv2:" << port.Designation << " ;\n\t\tlv2:default "
      << Number(port.Default) << " ;\n\t\tlv2:minimum " << Number(port.Minimum)
      << " ;\n\t\tlv2:maximum " << Number(port.Maximum);
  std::string properties;
  if (port.ReportsLatency) properties += ", lv2:reportsLatency ";
  if (port.Integer) properties += ", lv2:integer ";
  if (port.Toggled) properties += ", lv2:toggled ";
  if (!properties.empty())
    out << " ;\n\t\tlv2:portProperty " << properties.substr(2, properties.size() - 3);
  if (port.InFrames) out << " ;\n\t\tunits:unit units:frame";
}

// The editor: a window in the host's, which the host calls when idle; an
// X11 window, or on Windows (the generator is built for the target and runs
// under wine there) a Win32 one. The host's instance access is optional:
// without it the editor has no spectrum to show.
#ifdef _WIN32
constexpr const char* kEditorClass = "ui:WindowsUI";
#else
constexpr const char* kEditorClass = "ui:X11UI";
#endif
void WriteEditor(std::ostream& out, const char* editor) {
  out << "\n<" << vorel::kEditorUri << ">\n\ta " << kEditorClass << " ;\n\tui:binary <" << editor
      << "> ;\n"
      << "\tlv2:requiredFeature ui:idleInterface ;\n"
      << "\tlv2:optionalFeature ui:parent , ui:touch , ui:resize , "
         "<http://lv2plug.in/ns/ext/instance-access> , "
         "<http://lv2plug.in/ns/ext/options#options> ;\n"
      << "\tlv2:extensionData ui:idleInterface , ui:showInterface ;\n"
      << "\t<http://lv2plug.in/ns/ext/options#supportedOption> ui:scaleFactor , "
         "<http://lv2plug.in/ns/ext/parameters#sampleRate> .\n";
}

// The manifest: the plugin, its binary and data files, the editor if there
// is one, and each preset.
void WriteManifest(std::ostream& out, const char* binary, const char* editor) {
  out << kPrefixes << "<" << kPluginUri << ">\n\ta lv2:Plugin ;\n\tlv2:binary <" << binary
      << "> ;\n\trdfs:seeAlso <vorel.ttl> , <presets.ttl> .\n";
  if (editor != nullptr) WriteEditor(out, editor);
  for (const vorel::Preset& preset : vorel::kPresets) {
    out << "\n"
        << PresetUri(preset) << "\n\ta pset:Preset ;\n\tlv2:appliesTo <" << kPluginUri
        << "> ;\n\trdfs:label " << Quoted(preset.Name) << " ;\n\trdfs:seeAlso <presets.ttl> .\n";
  }
}

// The plugin's description and its ports in port order.
void WritePlugin(std::ostream& out, const char* editor) {
  out << kPrefixes << "<" << kPluginUri << ">\n"
      << "\ta lv2:Plugin , lv2:SpectralPlugin , doap:Project ;\n"
      << "\tdoap:name \"" << VOREL_PLUGIN_NAME << "\" ;\n"
      << "\tdoap:license <http://opensource.org/licenses/MIT> ;\n"
      << "\tdoap:maintainer [ a foaf:Organization ; foaf:name \"" << VOREL_PLUGIN_MAKER
      << "\" ] ;\n"
      << "\tlv2:minorVersion " << VOREL_VERSION_MINOR << " ;\n"
      << "\tlv2:microVersion " << VOREL_VERSION_PATCH << " ;\n"
      << "\trdfs:comment \"A spectral glitch effect: the spectrum of each frame is walked, "
         "sampled, held and "
         "bit-masked. The output is "
      << vorel::Processor::kLatency
      << " samples late, as the latency port reports; with 'enabled' off the input comes through "
         "with the "
         "same delay, and 'mix' blends it with the effect.\" ;\n"
      << "\tlv2:optionalFeature lv2:hardRTCapable ;\n";
  if (editor != nullptr) out << "\tui:ui <" << vorel::kEditorUri << "> ;\n";
  out << "\tlv2:port [\n";
  for (unsigned long index = 0; index < vorel::Lv2PortCount; ++index) {
    if (const vorel::PortEntry* entry = vorel::Lv2PortEntry(index)) {
      WriteSharedPort(out, index, *entry);
    } else {
      WriteDesignatedPort(out, index, vorel::DesignatedPortAt(index));
    }
    out << (index + 1 < vorel::Lv2PortCount ? " ;\n\t] , [\n" : " ;\n\t] .\n");
  }
}

// Every preset with the values of all six controls.
void WritePresets(std::ostream& out) {
  out << kPrefixes;
  for (const vorel::Preset& preset : vorel::kPresets) {
    out << PresetUri(preset) << "\n\ta pset:Preset ;\n\tlv2:appliesTo <" << kPluginUri
        << "> ;\n\trdfs:label " << Quoted(preset.Name) << " ;\n\trdfs:comment "
        << Quoted(preset.Comment) << " ;\n\tlv2:port ";
    for (unsigned long port = 0; port < vorel::kControlPortCount; ++port) {
      out << (port == 0 ? "" : " , ") << "[\n\t\tlv2:symbol "
          << Quoted(vorel::kPortTable[port].Symbol) << " ;\n\t\tpset:value "
          << Number(preset.Values[port]) << "\n\t]";
    }
    out << " .\n\n";
  }
}

// Writes one file of the bundle; false if it could not be written.
template <typename Writer>
bool WriteFile(const std::string& path, Writer write) {
  std::ofstream file(path, std::ios::binary);  // "\n", not "\r\n", on Windows too
  write(file);
  file.close();
  if (!file) std::cerr << "vorel-lv2-ttl: cannot write " << path << "\n";
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::cerr << "usage: vorel-lv2-ttl BUNDLE_DIR BINARY_FILE_NAME [EDITOR_FILE_NAME]\n";
    return 2;
  }
  const std::string dir = argv[1];
  const char* binary = argv[2];
  const char* editor = argc == 4 ? argv[3] : nullptr;
  const bool written =
      WriteFile(dir + "/manifest.ttl",
                [&](std::ostream& out) { WriteManifest(out, binary, editor); }) &&
      WriteFile(dir + "/vorel.ttl", [&](std::ostream& out) { WritePlugin(out, editor); }) &&
      WriteFile(dir + "/presets.ttl", WritePresets);
  return written ? 0 : 1;
}
