// The name a message gives a member of the library's classes,
// "ClsValmor.ShowHelp", made from the member's own identifier: a name that
// is not a member of the class does not compile, so no message can name a
// member that does not exist.
#pragma once

// "Class.member" as a constant string; the class must name `member` (a
// function, overloaded or not, or data).
#define HALVEX_MEMBER(Class, member)                                  \
    ([]() constexpr {                                                 \
        struct MemberOf##Class : Class {                              \
            using Class::member;                                      \
        };                                                            \
        return #Class "." #member;                                    \
    }())
