// The explanation screen, with the number of checks made so far.
#pragma once

void show_explanation();
