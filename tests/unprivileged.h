// Root ignores file modes: while an `Unprivileged` lives, a root test runs as
// the user nobody (the saved user id keeps the way back). Others stay as is.
#pragma once

#include <grp.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <system_error>
#include <vector>

namespace ohtest {

class Unprivileged {
public:
    Unprivileged() : root_(::geteuid() == 0) {
        if (!root_) return;
        ::getresgid(&gids_[0], &gids_[1], &gids_[2]);
        groups_.resize(static_cast<std::size_t>(::getgroups(0, nullptr)));
        groups_.resize(static_cast<std::size_t>(::getgroups(static_cast<int>(groups_.size()), groups_.data())));
        const uid_t nobody = 65534;  // and its group nogroup
        if (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, gids_[2]) != 0 || ::setresuid(nobody, nobody, 0) != 0) {
            const int error = errno;
            restore();
            throw std::system_error(error, std::generic_category(), "switching to the user nobody");
        }
    }
    ~Unprivileged() { if (root_) restore(); }

private:
    void restore() const {
        if (::setresuid(0, 0, 0) != 0 || ::setresgid(gids_[0], gids_[1], gids_[2]) != 0 || ::setgroups(groups_.size(), groups_.data()) != 0)
            std::terminate();
    }
    bool root_;
    gid_t gids_[3] = {};
    std::vector<gid_t> groups_;
};

}  // namespace ohtest
