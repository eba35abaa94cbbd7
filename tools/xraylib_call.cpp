#include "xraylib_call.h"

namespace kestrix::tools {

bool ElementHasShell(int atomicNumber, int shell) {
  xrl_error* error = nullptr;
  const double energy = EdgeEnergy(atomicNumber, shell, &error);
  if (error == nullptr) {
    return energy > 0;
  }
  const bool missingShell = xrl_error_matches(error, XRL_ERROR_INVALID_ARGUMENT);
  const std::string message = error->message ? error->message : "no message";
  xrl_error_free(error);
  if (!missingShell) {
    throw XraylibError("EdgeEnergy(Z=" + std::to_string(atomicNumber) + ", shell=" +
                       std::to_string(shell) + ") failed: " + message);
  }
  return false;
}

double ShellEdgeEnergy(int atomicNumber, int shell) {
  return CallXraylib("EdgeEnergy(Z=" + std::to_string(atomicNumber) + ", shell=" + std::to_string(shell) + ")",
                     EdgeEnergy, atomicNumber, shell);
}

NistCompound FindNistCompound(const std::string& name) {
  xrl_error* error = nullptr;
  compoundDataNIST* data = GetCompoundDataNISTByName(name.c_str(), &error);
  if (error != nullptr || data == nullptr) {
    const std::string message = error && error->message ? error->message : "not found";
    if (error != nullptr) xrl_error_free(error);
    if (data != nullptr) FreeCompoundDataNIST(data);
    throw XraylibError("NIST compound \"" + name + "\": " + message);
  }
  std::unique_ptr<compoundDataNIST, void (*)(compoundDataNIST*)> owner(data, FreeCompoundDataNIST);
  NistCompound compound;
  compound.name = data->name;
  compound.density = data->density;
  for (int i = 0; i < data->nElements; ++i) {
    compound.atomicNumbers.push_back(data->Elements[i]);
    compound.massFractions.push_back(data->massFractions[i]);
  }
  if (!(compound.density > 0) || compound.atomicNumbers.empty()) {
    throw XraylibError("NIST compound \"" + name + "\" has no density or no elements");
  }
  return compound;
}

std::vector<std::pair<int, double>> ParsedFormula(const std::string& formula) {
  xrl_error* error = nullptr;
  compoundData* data = CompoundParser(formula.c_str(), &error);
  if (error != nullptr || data == nullptr) {
    const std::string message = error && error->message ? error->message : "cannot be parsed";
    if (error != nullptr) xrl_error_free(error);
    if (data != nullptr) FreeCompoundData(data);
    throw XraylibError("formula \"" + formula + "\": " + message);
  }
  std::unique_ptr<compoundData, void (*)(compoundData*)> owner(data, FreeCompoundData);
  std::vector<std::pair<int, double>> elements;
  for (int i = 0; i < data->nElements; ++i) elements.emplace_back(data->Elements[i], data->massFractions[i]);
  return elements;
}

std::vector<std::string> NistCompoundNames() {
  xrl_error* error = nullptr;
  int count = 0;
  char** list = GetCompoundDataNISTList(&count, &error);
  if (error != nullptr || list == nullptr) {
    const std::string message = error && error->message ? error->message : "no list";
    if (error != nullptr) xrl_error_free(error);
    throw XraylibError("GetCompoundDataNISTList failed: " + message);
  }
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    names.emplace_back(list[i]);
    xrlFree(list[i]);
  }
  xrlFree(list);
  return names;
}

}  // namespace kestrix::tools
