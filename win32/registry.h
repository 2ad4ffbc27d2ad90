// The real registry behind the installation record's seam.
#pragma once

#include "install_record.h"

Registry& SystemRegistry();
