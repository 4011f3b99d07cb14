// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "linking/FormSubmissions.h"

namespace Cli {
namespace {

const char* const FormsUsage = "Usage: vantix forms list [--json]\n"
                               "       vantix forms add NAME [--delimiter TEXT] [--fields TEXT]\n"
                               "       vantix forms remove NAME\n";

void printHelp(QTextStream& out)
{
    out << FormsUsage << "\n"
        << "The form-submission definitions that the scan of a job folder recognises form\n"
        << "e-mails by (the settings branch EMail\\FormSubmissions). An e-mail is of a\n"
        << "form when its subject equals the form's NAME, whatever the case; each line of\n"
        << "its body that holds the delimiter gives a field: the name before it, the value\n"
        << "after it.\n\n"
        << "  list    prints each definition in the order the scan tries them, one a line:\n"
        << "          its name, a tab, the delimiter in quotes, a tab and the fields text.\n"
        << "          --json gives {\"forms\": [{\"branch\": ..., \"name\": ..., \"delimiter\":\n"
        << "          ..., \"fields\": ...}]}.\n"
        << "  add     defines the form NAME; the delimiter is \" =\" unless --delimiter\n"
        << "          gives another (\": \", \":\", \"=\" and a tab are common). A form of that\n"
        << "          name in any case is updated instead: it takes NAME as spelt here and\n"
        << "          the parts given, and keeps the others. --fields is kept with the\n"
        << "          definition and not used by the scan.\n"
        << "  remove  deletes every definition of NAME, whatever the case; the status is 1\n"
        << "          when there was none.\n\n"
        << "`vantix scan` names the subjects of a folder's e-mails that no definition\n"
        << "names, each with the delimiter that splits the most of their lines.\n";
}

void printJson(const QList<Linking::StoredFormDef>& forms, QTextStream& out)
{
    out << "{\"forms\": [";
    for (qsizetype i = 0; i < forms.size(); ++i) {
        const Linking::FormSubmissionDef& def = forms[i].def;
        out << (i ? ",\n  " : "\n  ") << "{\"branch\": " << jsonString(forms[i].branch)
            << ", \"name\": " << jsonString(def.Name)
            << ", \"delimiter\": " << jsonString(def.Delimiter)
            << ", \"fields\": " << jsonString(def.Fields) << "}";
    }
    out << (forms.isEmpty() ? "]}\n" : "\n]}\n");
}

void printText(const QList<Linking::StoredFormDef>& forms, QTextStream& out)
{
    if (forms.isEmpty())
        out << "No form submissions are defined.\n";
    for (const Linking::StoredFormDef& form : forms)
        out << form.def.Name << '\t' << jsonString(form.def.Delimiter) << '\t' << form.def.Fields
            << '\n';
}

} // namespace

int formsCommand(const QStringList& args, Context& context)
{
    const QString usage = QLatin1String(FormsUsage);
    if (wantsHelp(args)) {
        printHelp(context.out);
        return Ok;
    }
    const QString verb = args.value(0);
    const QStringList rest = args.mid(1);
    if (verb == QLatin1String("list")) {
        return listVerb(rest, "forms", context, usage, [&](bool json) {
            const QList<Linking::StoredFormDef> forms = Linking::storedFormSubmissions();
            json ? printJson(forms, context.out) : printText(forms, context.out);
        });
    }
    const bool adding = verb == QLatin1String("add");
    if (!adding && verb != QLatin1String("remove"))
        return listVerbError("forms", verb, context, usage);
    const QStringList valueOptions =
        adding ? QStringList{QStringLiteral("--delimiter"), QStringLiteral("--fields")}
               : QStringList();
    const Arguments parsed =
        parseArguments(rest, {}, 1, QStringLiteral("forms %1 needs one form name").arg(verb),
                       context, usage, valueOptions);
    if (parsed.status != Ok)
        return parsed.status;
    const QString& name = parsed.positional[0];
    // An empty name would match the e-mails that have no subject; an empty
    // delimiter is stored as no value, which reads back as " =".
    if (name.isEmpty())
        return usageError(context, QStringLiteral("a form needs a name"), usage);
    if (parsed.has("--delimiter") && parsed.value("--delimiter").isEmpty())
        return usageError(context, QStringLiteral("a delimiter cannot be empty"), usage);
    if (!openSettings(context))
        return Failed;
    if (adding) {
        Linking::FormDefParts parts;
        if (parsed.has("--delimiter"))
            parts.delimiter = parsed.value("--delimiter");
        if (parsed.has("--fields"))
            parts.fields = parsed.value("--fields");
        const Linking::FormSaved saved = Linking::saveFormSubmission(name, parts);
        if (saved == Linking::FormSaved::Failed)
            return Failed;
        context.out << (saved == Linking::FormSaved::Added ? "Added" : "Updated") << " the form '"
                    << name << "'\n";
        return finish(context);
    }
    const int removed = Linking::removeFormSubmission(name);
    if (removed < 0)
        return Failed;
    if (removed == 0) {
        context.err << "vantix: no form is called '" << name << "'\n";
        return Failed;
    }
    return finish(context);
}

} // namespace Cli
