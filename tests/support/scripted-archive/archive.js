// An archive from another toolkit (dcmjs-dimse) that checks AE titles as PACS
// do and answers each C-STORE with the status the image's Patient ID asks
// for: "STATUS-B000" is answered with 0xB000, any other ID with success.
// Usage: node archive.js PORT AE_TITLE KNOWN_CALLING_AE_TITLE...
// It listens on 127.0.0.1 only and prints a line per image it answered:
// "<SOP Instance UID> <status, 4 hex digits> <Operators' Name>".
const { Server, Scp, log, responses, constants } = require('dcmjs-dimse');
const { PresentationContextResult, RejectResult, RejectSource, RejectReason, TransferSyntax } = constants;

const [port, aeTitle, ...knownCallers] = process.argv.slice(2);
const uncompressed = [TransferSyntax.ExplicitVRLittleEndian, TransferSyntax.ImplicitVRLittleEndian];
log.setLevel('error');

class ScriptedArchive extends Scp {
    associationRequested(association) {
        const reject = (reason) =>
            this.sendAssociationReject(RejectResult.Permanent, RejectSource.ServiceUser, reason);
        if (association.getCalledAeTitle() !== aeTitle)
            return reject(RejectReason.CalledAeNotRecognized);
        if (!knownCallers.includes(association.getCallingAeTitle()))
            return reject(RejectReason.CallingAeNotRecognized);
        for (const { id } of association.getPresentationContexts()) {
            const context = association.getPresentationContext(id);
            const syntax = context.getTransferSyntaxUids().find((uid) => uncompressed.includes(uid));
            if (syntax)
                context.setResult(PresentationContextResult.Accept, syntax);
            else
                context.setResult(PresentationContextResult.RejectTransferSyntaxesNotSupported);
        }
        this.sendAssociationAccept();
    }

    cEchoRequest(request, callback) {
        callback(responses.CEchoResponse.fromRequest(request));
    }

    cStoreRequest(request, callback) {
        const dataset = request.getDataset();
        const asked = /^STATUS-([0-9A-F]{4})$/.exec(dataset.getElement('PatientID') || '');
        const response = responses.CStoreResponse.fromRequest(request);
        response.setStatus(asked ? parseInt(asked[1], 16) : 0);
        const status = response.getStatus().toString(16).toUpperCase().padStart(4, '0');
        console.log(`${dataset.getElement('SOPInstanceUID')} ${status} ${dataset.getElement('OperatorsName') || ''}`);
        callback(response);
    }

    associationReleaseRequested() {
        this.sendAssociationReleaseResponse();
    }
}

// An address, not only a port: every interface otherwise.
new Server(ScriptedArchive).listen({ port: Number(port), host: '127.0.0.1' });
