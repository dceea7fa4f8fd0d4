#pragma once
// A deliberate fault, for trying a built program's crash handling where no debugger reaches (under
// Wine, on a user's machine): with the environment variable QUILLON_TEST_FAULT set, the program
// faults once its event loop runs.
//   access-violation  a write to address 0, which the processor faults on; on Windows it ends in the
//                     crash report through the system exception handler
//   exception         an exception nothing catches, thrown from an event, as a fault of the program's
//                     own code would be
// Any other value, or none, changes nothing.

class QObject;

void ScheduleTestFault(QObject *context);
