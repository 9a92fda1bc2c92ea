// The notice library's two exports, under exactly these names (the module definition file
// keeps them undecorated). The copy tool resolves them at run time; this header gives
// both sides the same signatures.
//
// BeaconryStart records a job before it runs and returns a handle to that record, or
// null when there is nothing to report (no path array, a count of 0, no destination).
// BeaconryEnd reports the job to the logging service of the current user, if one runs,
// and releases the record; the handle is spent then. Neither shows anything or throws.
#pragma once

extern "C" {

void* __cdecl BeaconryStart(const wchar_t* const* paths, int count, const wchar_t* destination, int operation);
void __cdecl BeaconryEnd(void* handle);

}  // extern "C"
