// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_KOVALT 1
#define IDI_BROWSE 2
#define IDI_FOLDER 3
