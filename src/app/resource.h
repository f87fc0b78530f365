// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_KORVALEN 1
#define IDC_KORVALEN_ARROW 2
