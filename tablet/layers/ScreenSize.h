// SPDX-License-Identifier: MIT
#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QSize>
#include <QWidget>

/// The size of the screen packets are mapped onto: the one the window is on,
/// read afresh each time because the window may move or the screen change.
inline QSize TabletScreenSize(const QWidget* window) {
  const QScreen* screen = window ? window->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->size() : QSize(1920, 1080);
}
