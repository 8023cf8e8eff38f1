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
        if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, gids_[2]) != 0 ||
            ::setresuid(kNobody, kNobody, 0) != 0) {
            const int error = errno;
            restore();
            throw std::system_error(error, std::generic_category(), "switching to the user nobody");
        }
    }
    ~Unprivileged() { if (root_) restore(); }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

private:
    static constexpr uid_t kNobody = 65534;  // nobody, and its group nogroup

    void restore() const {
        if (::setresuid(0, 0, 0) != 0 || ::setresgid(gids_[0], gids_[1], gids_[2]) != 0 ||
            ::setgroups(groups_.size(), groups_.data()) != 0)
            std::terminate();
    }

    bool root_;
    gid_t gids_[3] = {};
    std::vector<gid_t> groups_;
};

}  // namespace ohtest
