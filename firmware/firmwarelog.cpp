#include "firmwarelog.h"

Q_LOGGING_CATEGORY(lcFirmware, "kestavon.firmware", QtWarningMsg)
