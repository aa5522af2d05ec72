#pragma once

#include <QLoggingCategory>

// Silent unless enabled, e.g. QT_LOGGING_RULES="kestavon.firmware.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcFirmware)
