#include "model_choices.h"

namespace kestrix {

const std::vector<ModelChoice>& ModelChoices() {
  static const std::vector<ModelChoice> choices = {
      {SpectrumModel::Tucker, "Command1", QStringLiteral("Tucker 式で計算"), QStringLiteral("Tucker 式"),
       QStringLiteral("by Tucker's formula")},
      {SpectrumModel::Birch, "Command2", QStringLiteral("Birch 式で計算"), QStringLiteral("Birch 式"),
       QStringLiteral("by Birch's formula")},
  };
  return choices;
}

const ModelChoice& ChoiceOf(SpectrumModel model) {
  for (const ModelChoice& choice : ModelChoices()) {
    if (choice.model == model) return choice;
  }
  return ModelChoices().front();
}

}  // namespace kestrix
