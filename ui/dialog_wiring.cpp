#include "dialog_wiring.h"

#include "calculation_state.h"
#include "data_export_dialog.h"
#include "filter_dialog.h"
#include "image_export_dialog.h"
#include "main_window.h"
#include "quality_window.h"

namespace kestrix {

void AttachFilterAndExportDialogs(MainWindow& window) {
  auto* filters = new FilterDialog(window.Calculation().filters, *window.FilterList(),
                                   [&window](bool enabled) { window.SetFilterCommandEnabled(enabled); }, &window);
  filters->OnFilterAdded([&window](const FilterRequest& file) { window.FilterFileAdded(file); });
  auto* data = new DataExportDialog(&window);
  data->DescribeRunWith([&window] { return window.ExchangeRun(); });
  auto* image = new ImageExportDialog([&window] { return window.GraphImage(); }, &window);
  QObject::connect(&window, &MainWindow::FilterDialogRequested, filters, &FilterDialog::PrepareAndShow);
  QObject::connect(&window, &MainWindow::DataExportRequested, data, &DataExportDialog::PrepareAndShow);
  QObject::connect(&window, &MainWindow::ImageExportRequested, image, &ImageExportDialog::PrepareAndShow);
  auto* quality = new QualityWindow(window, &window);
  QObject::connect(&window, &MainWindow::QualityWindowRequested, quality, &QualityWindow::PrepareAndShow);
  // The dialogs work on the main window's spectrum and filters: they leave with it.
  for (QWidget* dialog : {static_cast<QWidget*>(filters), static_cast<QWidget*>(data), static_cast<QWidget*>(image),
                          static_cast<QWidget*>(quality)}) {
    QObject::connect(&window, &MainWindow::StartScreenRequested, dialog, &QWidget::hide);
  }
}

}  // namespace kestrix
