#include "model_choices.h"

#include "emission_models.h"

namespace kestrix {
namespace {

/// the desktop's words for a model
struct ModelWords {
  SpectrumModel model;
  const char* buttonText;
  const char* name;
  const char* graphCaption;
};

const ModelWords kWords[] = {
    {SpectrumModel::Tucker, "Tucker 式で計算", "Tucker 式", "by Tucker's formula"},
    {SpectrumModel::Birch, "Birch 式で計算", "Birch 式", "by Birch's formula"},
    {SpectrumModel::Physics, "物理モデルで計算", "物理モデル", "by the physics model"},
};

ModelChoice ChoiceFor(SpectrumModel model, int position) {
  // Command3 is the exit button, so the third model's button is Command4.
  const QString command = QStringLiteral("Command%1").arg(position < 2 ? position + 1 : position + 2);
  for (const ModelWords& words : kWords) {
    if (words.model == model) {
      return {model, command, QString::fromUtf8(words.buttonText), QString::fromUtf8(words.name),
              QString::fromUtf8(words.graphCaption)};
    }
  }
  const QString keyword = QString::fromLatin1(EmissionModelFor(model).Keyword());
  return {model, command, keyword + QStringLiteral(" モデルで計算"), keyword + QStringLiteral(" モデル"),
          QStringLiteral("by the ") + keyword + QStringLiteral(" model")};
}

}  // namespace

const std::vector<ModelChoice>& ModelChoices() {
  static const std::vector<ModelChoice> choices = [] {
    std::vector<ModelChoice> list;
    for (SpectrumModel model : SpectrumModels()) list.push_back(ChoiceFor(model, static_cast<int>(list.size())));
    return list;
  }();
  return choices;
}

const ModelChoice& ChoiceOf(SpectrumModel model) {
  for (const ModelChoice& choice : ModelChoices()) {
    if (choice.model == model) return choice;
  }
  return ModelChoices().front();
}

}  // namespace kestrix
