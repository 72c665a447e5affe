#pragma once

namespace elkctl {

int info();
int error(const wchar_t* code);

}  // namespace elkctl
