// SPDX-License-Identifier: MIT
#pragma once

#include <QMainWindow>

class TConfig : public QMainWindow {
    Q_OBJECT
public:
    explicit TConfig(QWidget* parent = nullptr);
};
