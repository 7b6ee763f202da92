// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>

#include <QDialog>
#include <QImage>

class QScrollBar;

/// The keyboard picker of the MinKey and MaxKey buttons: a scrollable picture of
/// all 128 MIDI keys that names the key under the pointer in its title and
/// closes on the first click on a key.
class CKeySelectDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr uint8_t kInitialKey = 60;  ///< reported until a key is clicked
  static constexpr int kKeyboardLeft = 10;    ///< client x of the keyboard's first column
  static constexpr int kKeyboardTop = 10;     ///< client y of the picture's first row

  explicit CKeySelectDlg(QWidget* parent = nullptr);

  /// The clicked key, or 60 when the dialog was closed without a click.
  uint8_t GetSelectedKey() const { return selectedKey_; }
  /// True once a key was clicked; closing the dialog otherwise leaves it false,
  /// and the caller keeps its note limit.
  bool KeyChosen() const { return keyChosen_; }
  /// The key at a point of the client area, or none outside the keys.
  std::optional<uint8_t> KeyAtPoint(int x, int y) const;
  /// The key whose strip starts at the left edge of the shown part.
  uint8_t FirstVisibleKey() const { return firstVisibleKey_; }
  /// Scrolls so that `key` is in view, near the middle where the bar reaches:
  /// the keyboard opens at the limit being changed, not at its bottom end.
  void ShowKey(uint8_t key);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void OnScrollAction(int action);
  int ShownWidth() const { return width() - 2 * kKeyboardLeft; }

  QImage keyboard_;
  QScrollBar* scrollBar_ = nullptr;
  uint8_t selectedKey_ = kInitialKey;
  uint8_t firstVisibleKey_ = 0;
  bool keyChosen_ = false;
};
