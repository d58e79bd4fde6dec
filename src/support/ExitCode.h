#pragma once
// The exit code the program ends with when it ends in order (0 unless a
// start-up step set another).

void setProcessExitCode(int code);
int processExitCode();
