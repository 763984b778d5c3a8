#include "files/UOutputNames.h"

#include "files/UFileUtil.h"

#include <filesystem>
#include <system_error>

namespace quellow::UOutputNames {

std::string OutputName(const std::string &input)
{
    return changeFileExt(input, ".out");
}

std::string TrendName(const std::string &input)
{
    return changeFileExt(input, ".dat");
}

std::string InputName(const std::string &input)
{
    return changeFileExt(input, ".inp");
}

std::string CalibratedName(const std::string &input)
{
    const std::filesystem::path p(input);
    return (p.parent_path() / (p.stem().string() + "-calibrated.inp")).string();
}

std::string SeasonName(const std::string &output, int year)
{
    const std::filesystem::path p(output);
    const std::string extension = p.has_extension() ? p.extension().string() : ".inp";
    return (p.parent_path() / (p.stem().string() + "-" + std::to_string(year) + extension))
        .string();
}

std::string AbsolutePath(const std::string &path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

bool SamePath(const std::string &a, const std::string &b)
{
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error))
        return true;
    return AbsolutePath(a) == AbsolutePath(b);
}

std::vector<TNamedFile> RunOutputs(const std::string &input, bool analysis)
{
    std::vector<TNamedFile> files{{"output file", OutputName(input)}};
    if (analysis)
        files.push_back({"trend file", TrendName(input)});
    return files;
}

namespace {

std::string quoted(const TNamedFile &file)
{
    return "the " + file.Role + " \"" + file.Path + "\"";
}

std::string capitalised(std::string text)
{
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

} // namespace

std::string Collision(const std::vector<TNamedFile> &reads, const std::vector<TNamedFile> &writes)
{
    for (std::size_t w = 0; w < writes.size(); ++w) {
        for (const TNamedFile &read : reads) {
            if (SamePath(writes[w].Path, read.Path))
                return capitalised(quoted(writes[w])) + " would replace " + quoted(read) +
                       ". Give another name. Nothing was written.";
        }
        for (std::size_t other = 0; other < w; ++other) {
            if (SamePath(writes[w].Path, writes[other].Path))
                return capitalised(quoted(writes[other])) + " and " + quoted(writes[w]) +
                       " would be one file. Give another name. Nothing was written.";
        }
    }
    return {};
}

} // namespace quellow::UOutputNames
