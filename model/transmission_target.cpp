#include "transmission_target.h"

#include <cctype>

namespace kestrix {

const std::vector<TransmissionWindow>& TransmissionWindows() {
  static const std::vector<TransmissionWindow> windows{TransmissionWindow::Diamond, TransmissionWindow::Beryllium,
                                                       TransmissionWindow::Aluminium};
  return windows;
}

const char* TransmissionWindowName(TransmissionWindow window) {
  switch (window) {
    case TransmissionWindow::Beryllium: return "Be";
    case TransmissionWindow::Aluminium: return "Al";
    default: return "diamond";
  }
}

namespace {

std::string Lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

}  // namespace

std::optional<TransmissionWindow> TransmissionWindowFromName(const std::string& name) {
  const std::string lower = Lower(name);
  if (lower == "diamond" || lower == "c") return TransmissionWindow::Diamond;
  if (lower == "be") return TransmissionWindow::Beryllium;
  if (lower == "al") return TransmissionWindow::Aluminium;
  return std::nullopt;
}

}  // namespace kestrix
