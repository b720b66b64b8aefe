#pragma once
// The one Qt application of a test program, on the offscreen platform that the test runner
// sets, and whether a label shows its text whole.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>

namespace larkspan::test {

// Made before the first test and gone after the last, while Qt's own statics still exist.
struct QtApplication : ::testing::Environment {
  void SetUp() override { app = std::make_unique<QApplication>(argc, argv); }
  void TearDown() override { app.reset(); }
  int argc = 1;
  char name[17] = "larkspan_qt_test", *argv[2] = {name, nullptr};
  std::unique_ptr<QApplication> app;
};
inline auto* const qtApplication = ::testing::AddGlobalTestEnvironment(new QtApplication);

// Every line of the label's text inside its box, wrapped the way the label wraps it.
inline bool ShowsWhole(const QLabel& label) {
  const int wrap = label.wordWrap() ? Qt::TextWordWrap : 0;
  return label.rect().contains(label.fontMetrics().boundingRect(
      label.rect(), Qt::AlignLeft | Qt::AlignTop | wrap, label.text()));
}

}  // namespace larkspan::test
