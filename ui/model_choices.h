#pragma once
// The spectrum models the start screen offers: every model of the library's list, each with the
// words the desktop shows for it (the start screen's button, its name, the caption on the main
// window and its graph). A model new to the library needs one entry of words here; until it has
// one, it is offered under its keyword.

#include <vector>

#include <QString>

#include "model_codes.h"

namespace kestrix {

struct ModelChoice {
  SpectrumModel model;
  /// object name of the start screen's button that chooses the model: Command1, Command2, then
  /// Command4 on (Command3 is the exit button)
  QString commandName;
  /// caption of that button
  QString buttonText;
  /// the model's name in the quality window and its copied text
  QString name;
  /// caption in the main window's top right corner and over the empty graph
  QString graphCaption;
};

/// the models in the library's order, which is the order of the start screen's buttons, top to bottom
const std::vector<ModelChoice>& ModelChoices();

/// the entry of `model`; the first entry for a code that has none
const ModelChoice& ChoiceOf(SpectrumModel model);

}  // namespace kestrix
