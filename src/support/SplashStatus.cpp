#include "support/SplashStatus.h"

SplashStatus* FrmSplash = nullptr;
