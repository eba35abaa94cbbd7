#include "model_choices.h"

#include "emission_models.h"
#include "ui_language.h"

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
    {SpectrumModel::Tucker, QT_TRID_NOOP("Tucker 式で計算"), QT_TRID_NOOP("Tucker 式"), "by Tucker's formula"},
    {SpectrumModel::Birch, QT_TRID_NOOP("Birch 式で計算"), QT_TRID_NOOP("Birch 式"), "by Birch's formula"},
    {SpectrumModel::Physics, QT_TRID_NOOP("物理モデルで計算"), QT_TRID_NOOP("物理モデル"), "by the physics model"},
};

ModelChoice ChoiceFor(SpectrumModel model, int position) {
  // Command3 is the exit button, so the third model's button is Command4.
  const QString command = QStringLiteral("Command%1").arg(position < 2 ? position + 1 : position + 2);
  for (const ModelWords& words : kWords) {
    if (words.model == model) {
      return {model, command, Tr(words.buttonText), Tr(words.name),
              QString::fromUtf8(words.graphCaption)};
    }
  }
  const QString keyword = QString::fromLatin1(EmissionModelFor(model).Keyword());
  return {model, command, keyword + Tr(" モデルで計算"), keyword + Tr(" モデル"),
          QStringLiteral("by the ") + keyword + QStringLiteral(" model")};
}

}  // namespace

const std::vector<ModelChoice>& ModelChoices() {
  // one list per language, made when it is first asked for
  static std::vector<ModelChoice> lists[2];
  std::vector<ModelChoice>& choices = lists[CurrentLanguage() == UiLanguage::English ? 1 : 0];
  if (choices.empty()) {
    for (SpectrumModel model : SpectrumModels()) choices.push_back(ChoiceFor(model, static_cast<int>(choices.size())));
  }
  return choices;
}

const ModelChoice& ChoiceOf(SpectrumModel model) {
  for (const ModelChoice& choice : ModelChoices()) {
    if (choice.model == model) return choice;
  }
  return ModelChoices().front();
}

}  // namespace kestrix
